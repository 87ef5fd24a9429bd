// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/RangeState.h"

#include <algorithm>

namespace {

void AppendPiece(std::vector<StatePiece> &pieces, StatePiece piece)
{
    if (piece.end <= piece.start)
        return;
    if (!pieces.empty() && pieces.back().end == piece.start && pieces.back().up == piece.up)
        pieces.back().end = piece.end;
    else
        pieces.push_back(piece);
}

std::vector<OutageSpan> StoredOutages(SqliteDatabase &db, std::int64_t target, Span range)
{
    std::vector<OutageSpan> outages;
    SqliteStatement select = db.Prepare("SELECT start_ms, end_ms, failed, reasons FROM outages"
                                        " WHERE target = ?1 AND end_ms > ?2 AND start_ms < ?3 ORDER BY start_ms");
    select.Bind(1, target).Bind(2, range.start).Bind(3, range.end);
    while (select.Step()) {
        OutageSpan outage{select.Int(0), select.Int(1), static_cast<std::uint64_t>(select.Int(2)),
                          ReasonTally::FromJson(select.Text(3)).value_or(ReasonTally{})};
        outages.push_back(std::move(outage));
    }
    return outages;
}

std::int64_t RolledOf(SqliteDatabase &db, std::int64_t target)
{
    SqliteStatement select = db.Prepare("SELECT rolled_ms FROM targets WHERE id = ?1");
    select.Bind(1, target);
    if (select.Step() && !select.IsNull(0))
        return select.Int(0);
    return INT64_MIN;
}

void CutToRange(std::vector<OutageSpan> &outages, Span range)
{
    for (OutageSpan &outage : outages) {
        outage.start = std::max(outage.start, range.start);
        outage.end = std::min(outage.end, range.end);
    }
    std::erase_if(outages, [](const OutageSpan &outage) { return outage.end <= outage.start; });
}

} // namespace

std::vector<Span> WatchedSpans(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd)
{
    std::vector<Span> spans;
    for (const RunRow &run : LoadRuns(db, target)) {
        if (!run.firstMs)
            continue;
        Span watch{std::max(*run.firstMs, range.start), std::min(WatchEnd(run, openEnd), range.end)};
        if (watch.Length() == 0)
            continue;
        for (const Span &gap : LoadGaps(db, run.id, watch)) {
            spans.push_back({watch.start, std::min(gap.start, watch.end)});
            watch.start = std::max(watch.start, gap.end);
        }
        spans.push_back(watch);
    }
    std::erase_if(spans, [](const Span &span) { return span.Length() == 0; });
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.start < b.start; });
    std::vector<Span> joined;
    for (const Span &span : spans) {
        if (!joined.empty() && span.start <= joined.back().end)
            joined.back().end = std::max(joined.back().end, span.end);
        else
            joined.push_back(span);
    }
    return joined;
}

std::vector<StatePiece> PiecesOfRecord(std::span<const Span> watched, std::span<const OutageSpan> outages)
{
    std::vector<StatePiece> pieces;
    std::size_t o = 0;
    for (const Span &span : watched) {
        std::int64_t at = span.start;
        while (o < outages.size() && outages[o].end <= at)
            ++o;
        for (std::size_t k = o; k < outages.size() && outages[k].start < span.end; ++k) {
            const std::int64_t downStart = std::max(outages[k].start, at);
            const std::int64_t downEnd = std::min(outages[k].end, span.end);
            AppendPiece(pieces, {at, downStart, true});
            AppendPiece(pieces, {downStart, downEnd, false});
            at = std::max(at, downEnd);
        }
        AppendPiece(pieces, {at, span.end, true});
    }
    return pieces;
}

RangeState LoadRangeState(SqliteDatabase &db, std::int64_t target, Span range, const OpenRunEnd &openEnd)
{
    RangeState state;
    state.range = range;
    state.tailStart = std::clamp(RolledOf(db, target), range.start, range.end);
    const Span rolled{range.start, state.tailStart};
    const Span tail{state.tailStart, range.end};

    if (rolled.Length() > 0) {
        state.outages = StoredOutages(db, target, rolled);
        CutToRange(state.outages, rolled);
        state.pieces = PiecesOfRecord(WatchedSpans(db, target, rolled, openEnd), state.outages);
    }
    if (tail.Length() > 0) {
        const TimelineInput input = LoadTimeline(db, target, tail, openEnd);
        const auto first = std::lower_bound(input.checks.begin(), input.checks.end(), tail.start,
                                            [](const TimelineCheck &c, std::int64_t t) { return c.time < t; });
        state.tailChecks.assign(first, input.checks.end());
        const std::vector<StatePiece> pieces = MergeTimeline(input.runs, input.checks, tail);
        for (const StatePiece &piece : pieces)
            AppendPiece(state.pieces, piece);
        std::vector<OutageSpan> later = OutagesOf(pieces, state.tailChecks);
        auto next = later.begin();
        if (next != later.end() && !state.outages.empty() && state.outages.back().end == next->start) {
            state.outages.back().end = next->end;
            state.outages.back().failed += next->failed;
            state.outages.back().reasons.Merge(next->reasons);
            ++next;
        }
        state.outages.insert(state.outages.end(), next, later.end());
    }
    return state;
}
