<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>Dialog</name>
    <message>
        <source>PLEASE WAIT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sending the settings to the machine.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WELCOME</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Serial number
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DialogMessage</name>
    <message>
        <source>NO</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YES</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ErrorMessage</name>
    <message>
        <source>WARNING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LanguageList</name>
    <message>
        <source>LANGUAGE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BACK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SEARCH</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>frostpanel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOME</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>---- rpm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HARD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CLEANING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ManualHandling</name>
    <message>
        <source>MANUAL HANDLING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Push direction and security button continuously.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OperatorText</name>
    <message>
        <source>Recipe Saving Error.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recipe Dettails Saving Error.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings Saving Error.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Supply Setting Saving Error.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ScreenSaver</name>
    <message>
        <source>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SuccessDialog</name>
    <message>
        <source>SUCCESS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WaitResponseCmd</name>
    <message>
        <source>LOADING JOB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>mainline</name>
    <message>
        <source>MAIN LINE SETTINGS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mains frequency of the installation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sending the supply frequency to the machine...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
