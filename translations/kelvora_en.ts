<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>LatencyChart</name>
    <message numerus="yes">
        <source>%n checks here, %1 failed</source>
        <translation>
            <numerusform>%n check here, %1 failed</numerusform>
            <numerusform>%n checks here, %1 failed</numerusform>
        </translation>
    </message>
</context>
</TS>
