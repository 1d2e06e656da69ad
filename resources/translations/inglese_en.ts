<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AnomalyWorking</name>
    <message>
        <source>ANOMALY WORKING</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ATTENZIONE E&apos; STATA RILEVATA UNA PROCEDURA DI FRESATURA ANOMALA.
INTERROMPERE LA PROCEDURA PREMENDO IL PULSANTE DI STOP OPPURE ATTENDERE IL TERMINE DELLA STESSA.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>STOP</source>
        <translation type="unfinished"></translation>
    </message>
</context>
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
    <name>ErrorManager</name>
    <message>
        <source>TECNICAL PROBLEM, CONTACT THE ASSISTANCE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 1
Description E1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 2
Description E2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 3
Description E3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 4
Description E4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 5
Description E5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 6
Description E6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 7
Description E7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 8
Description E8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 9
Description E9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 10
Description E10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 11
Description E11</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 12
Description E12</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR 13
Description E13</source>
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
    <name>FilterChange</name>
    <message>
        <source>FILTER INFO</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Working Hour:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remaining Hour:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BACK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FILTER CHANGED</source>
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
    <message>
        <source>Wait Reset.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware upgrade not started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware upgrade not ended correctly.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware file not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MANUTENZIONE PROGRAMMA.
CONTATTARE L&apos;ASSISTENZA.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ricorda</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verificare che l&apos;adattatore wifi sia inserito.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Spegnere la macchina, inserire adattatore wifi e riaccedere la macchina</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Il sistema non riesce a connettersi provare a riavviare la macchina.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usb memory not installed.</source>
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
    <name>SettingsForm</name>
    <message>
        <source>SETTINGS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LANGUAGE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAIN LINE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BACK</source>
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
