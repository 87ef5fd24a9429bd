<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>CommandLine</name>
    <message>
        <source>Usage: kelvora [options]
Watches whether the internet can be reached: every N seconds (30 at start) it opens
a TCP connection to port 80 of the host named in the window, closes it at once and
shows how long that took. The window turns lime on success and red on failure.

Options:
  -h, --help       Show this help and exit.
  -V, --version    Show the version and exit (-v does the same).
  --maximized      Start with the window maximized.
  --minimized      Start with the window minimized, without taking the focus.
  --history        Record every check into the history file, creating it
                   ($XDG_STATE_HOME/kelvora/history.sqlite).
  --history=FILE   Record every check into FILE for this run.
  --no-history     Record nothing for this run, even where the history file is.
  --tray           Start hidden in the tray (minimized where there is none);
                   minimizing then hides the window to the tray.
  --language CODE  Show the window in this language: %1 (the desktop&apos;s by default).

Qt&apos;s own options are honoured as well, for example -qwindowgeometry WxH+X+Y,
-style NAME, -platform NAME and -display NAME.

Exit status: 0 when the window was closed, 1 when it could not start,
2 for a bad option, 3 when --help or --version could not be written.
</source>
        <translation>Usage: kelvora [options]
Watches whether the internet can be reached: every N seconds (30 at start) it opens
a TCP connection to port 80 of the host named in the window, closes it at once and
shows how long that took. The window turns lime on success and red on failure.

Options:
  -h, --help       Show this help and exit.
  -V, --version    Show the version and exit (-v does the same).
  --maximized      Start with the window maximized.
  --minimized      Start with the window minimized, without taking the focus.
  --history        Record every check into the history file, creating it
                   ($XDG_STATE_HOME/kelvora/history.sqlite).
  --history=FILE   Record every check into FILE for this run.
  --no-history     Record nothing for this run, even where the history file is.
  --tray           Start hidden in the tray (minimized where there is none);
                   minimizing then hides the window to the tray.
  --language CODE  Show the window in this language: %1 (the desktop&apos;s by default).

Qt&apos;s own options are honoured as well, for example -qwindowgeometry WxH+X+Y,
-style NAME, -platform NAME and -display NAME.

Exit status: 0 when the window was closed, 1 when it could not start,
2 for a bad option, 3 when --help or --version could not be written.
</translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>Exception %1 in module %2 at %3.<byte value="xd"/>
%4%5<byte value="xd"/>
</source>
        <translation>Exception %1 in module %2 at %3.<byte value="xd"/>
%4%5<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Application Error</translation>
    </message>
</context>
<context>
    <name>FailureReason</name>
    <message>
        <source>Connected</source>
        <translation>Связь есть</translation>
    </message>
    <message>
        <source>Host not found</source>
        <translation>Узел не найден</translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation>Соединение отклонено</translation>
    </message>
    <message>
        <source>Timed out</source>
        <translation>Превышено время ожидания</translation>
    </message>
    <message>
        <source>Host unreachable</source>
        <translation>Узел недоступен</translation>
    </message>
    <message>
        <source>Network unreachable</source>
        <translation>Сеть недоступна</translation>
    </message>
    <message>
        <source>Connection reset</source>
        <translation>Соединение сброшено</translation>
    </message>
    <message>
        <source>Bad host or port</source>
        <translation>Неверный узел или порт</translation>
    </message>
    <message>
        <source>Other error</source>
        <translation>Другая ошибка</translation>
    </message>
</context>
<context>
    <name>HistoryMenus</name>
    <message>
        <source>Start at login</source>
        <translation>Запускать при входе в систему</translation>
    </message>
    <message>
        <source>Record history</source>
        <translation>Вести историю</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>История…</translation>
    </message>
    <message>
        <source>Could not change starting at login.
%1</source>
        <translation>Не удалось изменить запуск при входе в систему.
%1</translation>
    </message>
</context>
<context>
    <name>HistoryPrompts</name>
    <message>
        <source>Kelvora will record every check in the file
%1

The file stays on this computer; while it is there, recording goes on at later starts too.</source>
        <translation>Kelvora будет записывать каждую проверку в файл
%1

Файл остаётся на этом компьютере; пока он есть, запись продолжается и при следующих запусках.</translation>
    </message>
    <message>
        <source>Record history</source>
        <translation>Вести историю</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Recording has stopped.
Delete the recorded history?
%1</source>
        <translation>Запись истории остановлена.
Удалить записанную историю?
%1</translation>
    </message>
    <message>
        <source>Delete history</source>
        <translation>Удалить историю</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Оставить</translation>
    </message>
    <message>
        <source>History is not being recorded; checks go on.
%1</source>
        <translation>История не ведётся, проверки продолжаются.
%1</translation>
    </message>
</context>
<context>
    <name>HistoryTexts</name>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>median %1 ms, p95 %2 ms</source>
        <translation>медиана %1 мс, p95 %2 мс</translation>
    </message>
    <message>
        <source>not monitored</source>
        <translation>не наблюдалось</translation>
    </message>
    <message>
        <source>checks: %1, failed: %2</source>
        <translation>проверок: %1, неудачных: %2</translation>
    </message>
    <message>
        <source>availability %1 over %2 monitored</source>
        <translation>доступность %1 за %2 наблюдения</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Availability heat map</source>
        <translation>Тепловая карта доступности</translation>
    </message>
    <message>
        <source>History — Kelvora</source>
        <translation>История — Kelvora</translation>
    </message>
    <message>
        <source>Time monitored:</source>
        <translation>Время наблюдения:</translation>
    </message>
    <message>
        <source>Availability:</source>
        <translation>Доступность:</translation>
    </message>
    <message>
        <source>Outages:</source>
        <translation>Отказов связи:</translation>
    </message>
    <message>
        <source>Longest:</source>
        <translation>Самый долгий:</translation>
    </message>
    <message>
        <source>Mean time between outages:</source>
        <translation>Среднее время между отказами:</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Сегодня</translation>
    </message>
    <message>
        <source>7 days</source>
        <translation>7 дней</translation>
    </message>
    <message>
        <source>30 days</source>
        <translation>30 дней</translation>
    </message>
    <message>
        <source>365 days</source>
        <translation>365 дней</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Период</translation>
    </message>
    <message>
        <source>History unavailable: %1</source>
        <translation>История недоступна: %1</translation>
    </message>
    <message>
        <source>No history yet: it holds no checks.</source>
        <translation>История пока пуста: в ней нет ни одной проверки.</translation>
    </message>
    <message>
        <source>Host:</source>
        <translation>Узел:</translation>
    </message>
    <message>
        <source>Range:</source>
        <translation>Период:</translation>
    </message>
    <message>
        <source>From</source>
        <translation>С</translation>
    </message>
    <message>
        <source>To</source>
        <translation>По</translation>
    </message>
    <message>
        <source>from</source>
        <translation>с</translation>
    </message>
    <message>
        <source>to</source>
        <translation>по</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Экспорт…</translation>
    </message>
    <message>
        <source>Checks as CSV…</source>
        <translation>Проверки в CSV…</translation>
    </message>
    <message>
        <source>Heat map as PNG…</source>
        <translation>Тепловая карта в PNG…</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Начало</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Конец</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Длительность</translation>
    </message>
    <message>
        <source>Failed checks</source>
        <translation>Неудачных проверок</translation>
    </message>
    <message>
        <source>Reasons</source>
        <translation>Причины</translation>
    </message>
    <message>
        <source>Outages</source>
        <translation>Отказы связи</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>Point at a cell or pick one with the arrow keys.</source>
        <translation>Наведите указатель на клетку или выберите её стрелками.</translation>
    </message>
    <message>
        <source>none</source>
        <translation>не было</translation>
    </message>
    <message>
        <source>Export history as CSV</source>
        <translation>Экспорт истории в CSV</translation>
    </message>
    <message>
        <source>Export heat map as PNG</source>
        <translation>Экспорт тепловой карты в PNG</translation>
    </message>
</context>
<context>
    <name>LatencyChart</name>
    <message>
        <source>Latency over the session</source>
        <translation>График задержки за сеанс</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>мс</translation>
    </message>
    <message>
        <source>No connection</source>
        <translation>Нет связи</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 мс</translation>
    </message>
    <message numerus="yes">
        <source>%n checks here, %1 failed</source>
        <translation>
            <numerusform>Здесь проверок: %n, неудачно: %1</numerusform>
            <numerusform>Здесь проверок: %n, неудачно: %1</numerusform>
            <numerusform>Здесь проверок: %n, неудачно: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>min %1 ms, max %2 ms</source>
        <translation>мин %1 мс, макс %2 мс</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Waiting for the first check</source>
        <translation>Ожидание первой проверки</translation>
    </message>
    <message>
        <source>Checking the connection</source>
        <translation>Идёт проверка подключения</translation>
    </message>
    <message>
        <source>Internet available</source>
        <translation>Интернет доступен</translation>
    </message>
    <message>
        <source>Internet unavailable</source>
        <translation>Интернет недоступен</translation>
    </message>
    <message>
        <source>Open the home page (F1)</source>
        <translation>Открыть домашнюю страницу (F1)</translation>
    </message>
    <message>
        <source>Check the internet every</source>
        <translation>Проверять наличие интернета каждые</translation>
    </message>
    <message>
        <source>sec</source>
        <translation>секунд</translation>
    </message>
    <message>
        <source>Time to the next check</source>
        <translation>Время до следующей проверки</translation>
    </message>
    <message>
        <source>Varnholt Studios logo</source>
        <translation>Логотип Varnholt Studios</translation>
    </message>
    <message>
        <source>Host:</source>
        <translation>Хост:</translation>
    </message>
    <message>
        <source>Check interval, seconds</source>
        <translation>Интервал проверки, секунд</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Хост</translation>
    </message>
    <message>
        <source>Use the host %1</source>
        <translation>Подставить хост %1</translation>
    </message>
</context>
<context>
    <name>Notifications</name>
    <message>
        <source>Connection lost: %1</source>
        <translation>Связь потеряна: %1</translation>
    </message>
    <message>
        <source>Was offline for %1</source>
        <translation>Связи не было %1</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Связь есть</translation>
    </message>
    <message>
        <source>Connection restored: %1</source>
        <translation>Связь восстановлена: %1</translation>
    </message>
</context>
<context>
    <name>Outages</name>
    <message>
        <source>ongoing</source>
        <translation>продолжается</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Начало</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Конец</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Длительность</translation>
    </message>
    <message>
        <source>Failed checks</source>
        <translation>Неудачных проверок</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Причина</translation>
    </message>
</context>
<context>
    <name>Readout</name>
    <message>
        <source>Ping: %1 ms</source>
        <translation>Пинг: %1 мс</translation>
    </message>
    <message>
        <source>Ping:</source>
        <translation>Пинг:</translation>
    </message>
</context>
<context>
    <name>SessionMenus</name>
    <message>
        <source>Notifications</source>
        <translation>Уведомления</translation>
    </message>
    <message>
        <source>Session…</source>
        <translation>Сеанс…</translation>
    </message>
    <message>
        <source>Show window</source>
        <translation>Показать окно</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Waiting for the first check</source>
        <translation>Ожидание первой проверки</translation>
    </message>
    <message>
        <source>Connected: %1 ms, %2</source>
        <translation>Связь есть: %1 мс, %2</translation>
    </message>
    <message>
        <source>No connection, %1</source>
        <translation>Нет связи, %1</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Протокол</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Авто</translation>
    </message>
</context>
<context>
    <name>SessionTexts</name>
    <message>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>%1 d %2 h %3 min</source>
        <translation>%1 д %2 ч %3 мин</translation>
    </message>
    <message>
        <source>%1 h %2 min %3 s</source>
        <translation>%1 ч %2 мин %3 с</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 мин %2 с</translation>
    </message>
    <message>
        <source>address not found</source>
        <translation>адрес не найден</translation>
    </message>
    <message>
        <source>address %1</source>
        <translation>адрес %1</translation>
    </message>
    <message>
        <source>Connected: %1, %2</source>
        <translation>Связь есть: %1, %2</translation>
    </message>
    <message>
        <source>Checked at %1, %2</source>
        <translation>Проверка в %1, %2</translation>
    </message>
    <message>
        <source>lookup %1 ms</source>
        <translation>поиск адреса %1 мс</translation>
    </message>
    <message>
        <source>connect %1 ms</source>
        <translation>соединение %1 мс</translation>
    </message>
</context>
<context>
    <name>SessionWindow</name>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>connected since %1 (%2)</source>
        <translation>связь есть, с %1 (%2)</translation>
    </message>
    <message>
        <source>no connection since %1 (%2)</source>
        <translation>нет связи, с %1 (%2)</translation>
    </message>
    <message>
        <source>unknown, not checked yet</source>
        <translation>неизвестно, ещё не проверялось</translation>
    </message>
    <message>
        <source>none</source>
        <translation>не было</translation>
    </message>
    <message>
        <source>ongoing</source>
        <translation>продолжается</translation>
    </message>
    <message>
        <source>until %1</source>
        <translation>до %1</translation>
    </message>
    <message>
        <source>%1, from %2 %3</source>
        <translation>%1, с %2 %3</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Summary and all checks to the clipboard</source>
        <translation>Сводка и все проверки в буфер обмена</translation>
    </message>
    <message>
        <source>Outages</source>
        <translation>Сбои</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Хост</translation>
    </message>
    <message>
        <source>Checks</source>
        <translation>Проверок</translation>
    </message>
    <message>
        <source>Succeeded</source>
        <translation>Успешно</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Неудачно</translation>
    </message>
    <message>
        <source>Loss</source>
        <translation>Потери</translation>
    </message>
    <message>
        <source>min/avg/max/mdev, ms</source>
        <translation>мин/сред/макс/откл, мс</translation>
    </message>
    <message>
        <source>p50/p95/p99, ms</source>
        <translation>p50/p95/p99, мс</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Сейчас</translation>
    </message>
    <message>
        <source>Time online</source>
        <translation>Время в сети</translation>
    </message>
    <message>
        <source>Time offline</source>
        <translation>Время без связи</translation>
    </message>
    <message>
        <source>Longest outage</source>
        <translation>Самый долгий сбой</translation>
    </message>
    <message>
        <source>Longest uptime</source>
        <translation>Самая долгая связь</translation>
    </message>
    <message>
        <source>Session — Kelvora</source>
        <translation>Сеанс — Kelvora</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Last check</source>
        <translation>Последняя проверка</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 мс</translation>
    </message>
</context>
<context>
    <name>SpinButton</name>
    <message>
        <source>Increase</source>
        <translation>Больше</translation>
    </message>
    <message>
        <source>Decrease</source>
        <translation>Меньше</translation>
    </message>
</context>
</TS>
