<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AnomalyWorking</name>
    <message>
        <source>ANOMALY WORKING</source>
        <translation>ANOMALY WORKING</translation>
    </message>
    <message>
        <source>ATTENZIONE E&apos; STATA RILEVATA UNA PROCEDURA DI FRESATURA ANOMALA.
INTERROMPERE LA PROCEDURA PREMENDO IL PULSANTE DI STOP OPPURE ATTENDERE IL TERMINE DELLA STESSA.</source>
        <translation>WARNING: AN ABNORMAL MILLING PROCEDURE HAS BEEN DETECTED.
STOP THE PROCEDURE WITH THE STOP KEY OR WAIT FOR IT TO END.</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
</context>
<context>
    <name>Cleaning</name>
    <message>
        <source>CLEANING</source>
        <translation>CLEANING</translation>
    </message>
    <message>
        <source>BLADE RELEASE</source>
        <translation>BLADE RELEASE</translation>
    </message>
    <message>
        <source>AIR PURGE</source>
        <translation>AIR PURGE</translation>
    </message>
    <message>
        <source>CUSTOM CLEANING</source>
        <translation>CUSTOM CLEANING</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Close the machine before start working.</translation>
    </message>
    <message>
        <source>SPURGA IL CONDOTTO DI AREAZIONE.
POI ESCI DALLA SCHERMATA.</source>
        <translation>PURGE THE AIR DUCT.
THEN LEAVE THIS SCREEN.</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>EXIT</translation>
    </message>
    <message>
        <source>Place the glass behind the machine.</source>
        <translation>Place the glass behind the machine.</translation>
    </message>
</context>
<context>
    <name>CleaningSummary</name>
    <message>
        <source>AUTO
CLEAN</source>
        <translation>AUTO
CLEAN</translation>
    </message>
    <message>
        <source>END</source>
        <translation>END</translation>
    </message>
    <message>
        <source>TOTAL TIME:</source>
        <translation>TOTAL TIME:</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>sec</source>
        <translation>sec</translation>
    </message>
</context>
<context>
    <name>CustomCleaning</name>
    <message>
        <source>TIME (s)</source>
        <translation>TIME (s)</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Change the air intake filter</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Comunicarion error.
Perform machine restart.</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Error 1</translation>
    </message>
    <message>
        <source>PULIZIA LAME</source>
        <translation>BLADE CLEANING</translation>
    </message>
    <message>
        <source>PULIZIA ALBERO</source>
        <translation>SHAFT CLEANING</translation>
    </message>
    <message>
        <source>PULIZIA LAME + ALBERO</source>
        <translation>BLADE + SHAFT CLEANING</translation>
    </message>
    <message>
        <source>MOLTO VELOCE</source>
        <translation>VERY QUICK</translation>
    </message>
    <message>
        <source>VELOCE</source>
        <translation>QUICK</translation>
    </message>
    <message>
        <source>LEGGERA</source>
        <translation>LIGHT</translation>
    </message>
    <message>
        <source>MEDIA</source>
        <translation>MEDIUM</translation>
    </message>
    <message>
        <source>PROFONDA</source>
        <translation>DEEP</translation>
    </message>
    <message>
        <source>MOLTO PROFONDA</source>
        <translation>VERY DEEP</translation>
    </message>
</context>
<context>
    <name>CustomCleaningRunning</name>
    <message>
        <source>REMAINING TIME</source>
        <translation>REMAINING TIME</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Job Aborted From User</source>
        <translation>Job Aborted From User</translation>
    </message>
    <message>
        <source>Machine error.</source>
        <translation>Machine error.</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Error 1</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>PLEASE WAIT</source>
        <translation>PLEASE WAIT</translation>
    </message>
    <message>
        <source>Sending the settings to the machine.</source>
        <translation>Sending the settings to the machine.</translation>
    </message>
    <message>
        <source>WELCOME</source>
        <translation>WELCOME</translation>
    </message>
    <message>
        <source>Software version %1</source>
        <translation>Software version %1</translation>
    </message>
    <message>
        <source>Serial number
%1</source>
        <translation>Serial number
%1</translation>
    </message>
</context>
<context>
    <name>DialogMessage</name>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>YES</translation>
    </message>
</context>
<context>
    <name>EnergySettings</name>
    <message>
        <source>ENERGY SETTINGS</source>
        <translation>ENERGY SETTINGS</translation>
    </message>
    <message>
        <source>BRIGHTNESS</source>
        <translation>BRIGHTNESS</translation>
    </message>
    <message>
        <source>SCREENSAVER TIME</source>
        <translation>SCREENSAVER TIME</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
    </message>
</context>
<context>
    <name>ErrorManager</name>
    <message>
        <source>TECNICAL PROBLEM, CONTACT THE ASSISTANCE</source>
        <translation>TECNICAL PROBLEM, CONTACT THE ASSISTANCE</translation>
    </message>
    <message>
        <source>ERROR 1
Description E1</source>
        <translation>ERROR 1
Description E1</translation>
    </message>
    <message>
        <source>ERROR 2
Description E2</source>
        <translation>ERROR 2
Description E2</translation>
    </message>
    <message>
        <source>ERROR 3
Description E3</source>
        <translation>ERROR 3
Description E3</translation>
    </message>
    <message>
        <source>ERROR 4
Description E4</source>
        <translation>ERROR 4
Description E4</translation>
    </message>
    <message>
        <source>ERROR 5
Description E5</source>
        <translation>ERROR 5
Description E5</translation>
    </message>
    <message>
        <source>ERROR 6
Description E6</source>
        <translation>ERROR 6
Description E6</translation>
    </message>
    <message>
        <source>ERROR 7
Description E7</source>
        <translation>ERROR 7
Description E7</translation>
    </message>
    <message>
        <source>ERROR 8
Description E8</source>
        <translation>ERROR 8
Description E8</translation>
    </message>
    <message>
        <source>ERROR 9
Description E9</source>
        <translation>ERROR 9
Description E9</translation>
    </message>
    <message>
        <source>ERROR 10
Description E10</source>
        <translation>ERROR 10
Description E10</translation>
    </message>
    <message>
        <source>ERROR 11
Description E11</source>
        <translation>ERROR 11
Description E11</translation>
    </message>
    <message>
        <source>ERROR 12
Description E12</source>
        <translation>ERROR 12
Description E12</translation>
    </message>
    <message>
        <source>ERROR 13
Description E13</source>
        <translation>ERROR 13
Description E13</translation>
    </message>
</context>
<context>
    <name>ErrorMessage</name>
    <message>
        <source>WARNING</source>
        <translation>WARNING</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>ERROR</translation>
    </message>
</context>
<context>
    <name>ErrorState</name>
    <message>
        <source>ERROR STATISTICS</source>
        <translation>ERROR STATISTICS</translation>
    </message>
    <message>
        <source>CODE</source>
        <translation>CODE</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>TOTAL</source>
        <translation>TOTAL</translation>
    </message>
    <message>
        <source>IN A ROW</source>
        <translation>IN A ROW</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>RESET</source>
        <translation>RESET</translation>
    </message>
    <message>
        <source>SAVE TO USB</source>
        <translation>SAVE TO USB</translation>
    </message>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Restart Machine With Usb Device Mounted.</translation>
    </message>
    <message>
        <source>File not saved on Usb Device.</source>
        <translation>File not saved on Usb Device.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File Saved on Usb Device.</translation>
    </message>
</context>
<context>
    <name>FilterChange</name>
    <message>
        <source>FILTER INFO</source>
        <translation>FILTER INFO</translation>
    </message>
    <message>
        <source>Working Hour:</source>
        <translation>Working Hour:</translation>
    </message>
    <message>
        <source>Remaining Hour:</source>
        <translation>Remaining Hour:</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>FILTER CHANGED</source>
        <translation>FILTER CHANGED</translation>
    </message>
</context>
<context>
    <name>LanguageList</name>
    <message>
        <source>LANGUAGE</source>
        <translation>LANGUAGE</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>SEARCH</source>
        <translation>SEARCH</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MachineChecks</name>
    <message>
        <source>Insert gasket seal before start working.</source>
        <translation>Insert gasket seal before start working.</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Close the machine before start working.</translation>
    </message>
    <message>
        <source>Insert glass before start working.</source>
        <translation>Insert glass before start working.</translation>
    </message>
    <message>
        <source>Retry close the machine before start working.</source>
        <translation>Retry close the machine before start working.</translation>
    </message>
</context>
<context>
    <name>MachineInfo</name>
    <message>
        <source>MACHINE INFORMATION</source>
        <translation>MACHINE INFORMATION</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>EXPORT</translation>
    </message>
    <message>
        <source>WORKING TIME BLADE MOTOR</source>
        <translation>WORKING TIME BLADE MOTOR</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR TEMPERATURE</source>
        <translation>MAX BLADE MOTOR TEMPERATURE</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR ABSORPTION</source>
        <translation>MAX BLADE MOTOR ABSORPTION</translation>
    </message>
    <message>
        <source>WORKING TIME TREE MOTOR</source>
        <translation>WORKING TIME TREE MOTOR</translation>
    </message>
    <message>
        <source>WORKING TIME PUMP</source>
        <translation>WORKING TIME PUMP</translation>
    </message>
    <message>
        <source>WORKING TIME FILTER</source>
        <translation>WORKING TIME FILTER</translation>
    </message>
    <message>
        <source>MILLING PORTION</source>
        <translation>MILLING PORTION</translation>
    </message>
    <message>
        <source>MILLING SMALL GLASS</source>
        <translation>MILLING SMALL GLASS</translation>
    </message>
    <message>
        <source>MILLING BIG GLASS</source>
        <translation>MILLING BIG GLASS</translation>
    </message>
    <message>
        <source>WHIPPING SMALL GLASS</source>
        <translation>WHIPPING SMALL GLASS</translation>
    </message>
    <message>
        <source>WHIPPING BIG GLASS</source>
        <translation>WHIPPING BIG GLASS</translation>
    </message>
    <message>
        <source>CUTTING SMALL GLASS</source>
        <translation>CUTTING SMALL GLASS</translation>
    </message>
    <message>
        <source>CUTTING BIG GLASS</source>
        <translation>CUTTING BIG GLASS</translation>
    </message>
    <message>
        <source>CLEANING PERFORMED</source>
        <translation>CLEANING PERFORMED</translation>
    </message>
    <message>
        <source>REVISION PORTION</source>
        <translation>REVISION PORTION</translation>
    </message>
    <message>
        <source>REVISION COUNTER</source>
        <translation>REVISION COUNTER</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>frostpanel</source>
        <translation>frostpanel</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>SOFT</translation>
    </message>
    <message>
        <source>---- rpm</source>
        <translation>---- rpm</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIUM</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>HARD</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>WHIPPING</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>CUTTING</translation>
    </message>
    <message>
        <source>CLEANING</source>
        <translation>CLEANING</translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation>SETTINGS</translation>
    </message>
    <message>
        <source>Wait Reset.</source>
        <translation>Wait Reset.</translation>
    </message>
    <message>
        <source>Firmware upgrade not started.</source>
        <translation>Firmware upgrade not started.</translation>
    </message>
    <message>
        <source>Firmware upgrade not ended correctly.</source>
        <translation>Firmware upgrade not ended correctly.</translation>
    </message>
    <message>
        <source>Firmware file not found.</source>
        <translation>Firmware file not found.</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Comunicarion error.
Perform machine restart.</translation>
    </message>
    <message>
        <source>MANUTENZIONE PROGRAMMA.
CONTATTARE L&apos;ASSISTENZA.</source>
        <translation>SCHEDULED MAINTENANCE.
CONTACT SERVICE.</translation>
    </message>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Change the air intake filter</translation>
    </message>
    <message>
        <source>Ricorda</source>
        <translation>Remind me</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Verificare che l&apos;adattatore wifi sia inserito.</source>
        <translation>Check that the Wi-Fi adapter is plugged in.</translation>
    </message>
    <message>
        <source>Spegnere la macchina, inserire adattatore wifi e riaccedere la macchina</source>
        <translation>Switch the machine off, plug in the Wi-Fi adapter and switch the machine on again</translation>
    </message>
    <message>
        <source>Il sistema non riesce a connettersi provare a riavviare la macchina.</source>
        <translation>The system cannot connect: try restarting the machine.</translation>
    </message>
    <message>
        <source>Usb memory not installed.</source>
        <translation>Usb memory not installed.</translation>
    </message>
    <message>
        <source>Firmware file not valid.</source>
        <translation>Firmware file not valid.</translation>
    </message>
</context>
<context>
    <name>ManualHandling</name>
    <message>
        <source>MANUAL HANDLING</source>
        <translation>MANUAL HANDLING</translation>
    </message>
    <message>
        <source>Push direction and security button continuously.</source>
        <translation>Push direction and security button continuously.</translation>
    </message>
</context>
<context>
    <name>OperatorText</name>
    <message>
        <source>Recipe Saving Error.</source>
        <translation>Recipe Saving Error.</translation>
    </message>
    <message>
        <source>Recipe Dettails Saving Error.</source>
        <translation>Recipe Dettails Saving Error.</translation>
    </message>
    <message>
        <source>Settings Saving Error.</source>
        <translation>Settings Saving Error.</translation>
    </message>
    <message>
        <source>Supply Setting Saving Error.</source>
        <translation>Supply Setting Saving Error.</translation>
    </message>
    <message>
        <source>Machine Counters Reading Error.</source>
        <translation>Machine Counters Reading Error.</translation>
    </message>
</context>
<context>
    <name>QuickStartLiquid</name>
    <message>
        <source>CUTTING</source>
        <translation>CUTTING</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>SOFT</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIUM</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>HARD</translation>
    </message>
    <message>
        <source>REPETITIONS</source>
        <translation>REPETITIONS</translation>
    </message>
    <message>
        <source>AIR</source>
        <translation>AIR</translation>
    </message>
    <message>
        <source>PRESSURE</source>
        <translation>PRESSURE</translation>
    </message>
    <message>
        <source>FLOW</source>
        <translation>FLOW</translation>
    </message>
    <message>
        <source>NO AIR</source>
        <translation>NO AIR</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>TIME</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>WHIPPING</translation>
    </message>
</context>
<context>
    <name>ReleaseBlade</name>
    <message>
        <source>BLADE RELEASE</source>
        <translation>BLADE RELEASE</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>CLOSE</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Close the machine before start working.</translation>
    </message>
    <message>
        <source>Push direction and security button continuously.</source>
        <translation>Push direction and security button continuously.</translation>
    </message>
    <message>
        <source>Push screen and security button continuously.</source>
        <translation>Push screen and security button continuously.</translation>
    </message>
    <message>
        <source>Push screen continuously.</source>
        <translation>Push screen continuously.</translation>
    </message>
    <message>
        <source>Remove blade.</source>
        <translation>Remove blade.</translation>
    </message>
    <message>
        <source>Insert blade.</source>
        <translation>Insert blade.</translation>
    </message>
    <message>
        <source>Blade Mounted Incorrectly.</source>
        <translation>Blade Mounted Incorrectly.</translation>
    </message>
    <message>
        <source>Blade not Mounted.</source>
        <translation>Blade not Mounted.</translation>
    </message>
</context>
<context>
    <name>RunningSummary</name>
    <message>
        <source>Request Cycle</source>
        <translation>Request Cycle</translation>
    </message>
    <message>
        <source>Execution Cycle</source>
        <translation>Execution Cycle</translation>
    </message>
    <message>
        <source>TOTAL TIME:</source>
        <translation>TOTAL TIME:</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>REWORK</source>
        <translation>REWORK</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Error 1</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>Job Aborted From User.</source>
        <translation>Job Aborted From User.</translation>
    </message>
    <message>
        <source>To Much Product.</source>
        <translation>To Much Product.</translation>
    </message>
    <message>
        <source>Insufficient Portion.</source>
        <translation>Insufficient Portion.</translation>
    </message>
    <message>
        <source>Job Completed.</source>
        <translation>Job Completed.</translation>
    </message>
</context>
<context>
    <name>ScreenSaver</name>
    <message>
        <source>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</source>
        <translation>REMEMBER TO CLEAN THE MACHINE AT THE END OF THE DAY</translation>
    </message>
</context>
<context>
    <name>SelectFunction</name>
    <message>
        <source>CUTTING / WHIPPING</source>
        <translation>CUTTING / WHIPPING</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>CUTTING</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>WHIPPING</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
</context>
<context>
    <name>SensorState</name>
    <message>
        <source>SENSOR STATE</source>
        <translation>SENSOR STATE</translation>
    </message>
    <message>
        <source>Bicchiere</source>
        <translation>Glass</translation>
    </message>
    <message>
        <source>Porta Bicch. Chiuso</source>
        <translation>Glass door shut</translation>
    </message>
    <message>
        <source>Porta Guarnizione</source>
        <translation>Gasket door</translation>
    </message>
    <message>
        <source>Fine Corsa SUP.</source>
        <translation>Upper end stop</translation>
    </message>
    <message>
        <source>Fine Corsa INF.</source>
        <translation>Lower end stop</translation>
    </message>
    <message>
        <source>Fine Corsa BICCH.</source>
        <translation>Glass end stop</translation>
    </message>
    <message>
        <source>Ridondanza BICCH.</source>
        <translation>Glass redundancy</translation>
    </message>
    <message>
        <source>Lame Montate</source>
        <translation>Blades mounted</translation>
    </message>
    <message>
        <source>Sgancio Lame</source>
        <translation>Blade release</translation>
    </message>
    <message>
        <source>Posizione Lame</source>
        <translation>Blade position</translation>
    </message>
    <message>
        <source>Giri Lame</source>
        <translation>Blade turns</translation>
    </message>
    <message>
        <source>Giri Stepper</source>
        <translation>Stepper turns</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>SAVE TO USB</source>
        <translation>SAVE TO USB</translation>
    </message>
    <message>
        <source>CLOSED</source>
        <translation>CLOSED</translation>
    </message>
    <message>
        <source>OPEN</source>
        <translation>OPEN</translation>
    </message>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Restart Machine With Usb Device Mounted.</translation>
    </message>
    <message>
        <source>File not saved on Usb Device.</source>
        <translation>File not saved on Usb Device.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File Saved on Usb Device.</translation>
    </message>
</context>
<context>
    <name>ServiceCounters</name>
    <message>
        <source>SERVICE COUNTERS</source>
        <translation>SERVICE COUNTERS</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>PORTIONS TO NEXT SERVICE</source>
        <translation>PORTIONS TO NEXT SERVICE</translation>
    </message>
    <message>
        <source>SHAFT MOTOR TIME TO NEXT SERVICE</source>
        <translation>SHAFT MOTOR TIME TO NEXT SERVICE</translation>
    </message>
    <message>
        <source>PUMP TIME SINCE FILTER CHANGE</source>
        <translation>PUMP TIME SINCE FILTER CHANGE</translation>
    </message>
    <message>
        <source>BLADE MOTOR TIME</source>
        <translation>BLADE MOTOR TIME</translation>
    </message>
    <message>
        <source>SHAFT MOTOR TIME</source>
        <translation>SHAFT MOTOR TIME</translation>
    </message>
    <message>
        <source>PRESSURE PUMP TIME</source>
        <translation>PRESSURE PUMP TIME</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR TEMPERATURE</source>
        <translation>MAX BLADE MOTOR TEMPERATURE</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR ABSORPTION</source>
        <translation>MAX BLADE MOTOR ABSORPTION</translation>
    </message>
    <message>
        <source>MILLING PORTION</source>
        <translation>MILLING PORTION</translation>
    </message>
    <message>
        <source>MILLING SMALL GLASS</source>
        <translation>MILLING SMALL GLASS</translation>
    </message>
    <message>
        <source>MILLING BIG GLASS</source>
        <translation>MILLING BIG GLASS</translation>
    </message>
    <message>
        <source>WHIPPING SMALL GLASS</source>
        <translation>WHIPPING SMALL GLASS</translation>
    </message>
    <message>
        <source>WHIPPING BIG GLASS</source>
        <translation>WHIPPING BIG GLASS</translation>
    </message>
    <message>
        <source>CUTTING SMALL GLASS</source>
        <translation>CUTTING SMALL GLASS</translation>
    </message>
    <message>
        <source>CUTTING BIG GLASS</source>
        <translation>CUTTING BIG GLASS</translation>
    </message>
    <message>
        <source>CLEANING PERFORMED</source>
        <translation>CLEANING PERFORMED</translation>
    </message>
    <message>
        <source>RESET</source>
        <translation>RESET</translation>
    </message>
    <message>
        <source>Start both countdowns to the next service again?</source>
        <translation>Start both countdowns to the next service again?</translation>
    </message>
    <message>
        <source>Set %1 back to zero?</source>
        <translation>Set %1 back to zero?</translation>
    </message>
</context>
<context>
    <name>ServicePage</name>
    <message>
        <source>SERVICE</source>
        <translation>SERVICE</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>SENSORS</source>
        <translation>SENSORS</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>EXPORT</translation>
    </message>
    <message>
        <source>EXCHANGES</source>
        <translation>EXCHANGES</translation>
    </message>
    <message>
        <source>NO ANSWER</source>
        <translation>NO ANSWER</translation>
    </message>
    <message>
        <source>CORRUPT</source>
        <translation>CORRUPT</translation>
    </message>
    <message>
        <source>RETRIES</source>
        <translation>RETRIES</translation>
    </message>
    <message>
        <source>REFUSED</source>
        <translation>REFUSED</translation>
    </message>
    <message>
        <source>PORT RE-OPENS</source>
        <translation>PORT RE-OPENS</translation>
    </message>
    <message>
        <source>FAILED EXCHANGES</source>
        <translation>FAILED EXCHANGES</translation>
    </message>
</context>
<context>
    <name>SettingDate</name>
    <message>
        <source>TIME SETTINGS</source>
        <translation>TIME SETTINGS</translation>
    </message>
    <message>
        <source>DAY</source>
        <translation>DAY</translation>
    </message>
    <message>
        <source>MONTH</source>
        <translation>MONTH</translation>
    </message>
    <message>
        <source>YEAR</source>
        <translation>YEAR</translation>
    </message>
    <message>
        <source>HOUR</source>
        <translation>HOUR</translation>
    </message>
    <message>
        <source>MINUTE</source>
        <translation>MINUTE</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>CONFIRM</source>
        <translation>CONFIRM</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Do you want to update the date?</source>
        <translation>Do you want to update the date?</translation>
    </message>
    <message>
        <source>The clock could not be set.</source>
        <translation>The clock could not be set.</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>SETTINGS</source>
        <translation>SETTINGS</translation>
    </message>
    <message>
        <source>LANGUAGE</source>
        <translation>LANGUAGE</translation>
    </message>
    <message>
        <source>MAIN LINE</source>
        <translation>MAIN LINE</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>FIRMWARE</source>
        <translation>FIRMWARE</translation>
    </message>
    <message>
        <source>MACHINE INFORMATION</source>
        <translation>MACHINE INFORMATION</translation>
    </message>
    <message>
        <source>FACTORY SETTINGS</source>
        <translation>FACTORY SETTINGS</translation>
    </message>
    <message>
        <source>SERVICE COUNTERS</source>
        <translation>SERVICE COUNTERS</translation>
    </message>
    <message>
        <source>SERVICE</source>
        <translation>SERVICE</translation>
    </message>
    <message>
        <source>Restore the default settings?</source>
        <translation>Restore the default settings?</translation>
    </message>
    <message>
        <source>DATE AND TIME</source>
        <translation>DATE AND TIME</translation>
    </message>
    <message>
        <source>ENERGY</source>
        <translation>ENERGY</translation>
    </message>
    <message>
        <source>SYSTEM INFORMATION</source>
        <translation>SYSTEM INFORMATION</translation>
    </message>
    <message>
        <source>WI-FI</source>
        <translation>WI-FI</translation>
    </message>
    <message>
        <source>ERROR STATISTICS</source>
        <translation>ERROR STATISTICS</translation>
    </message>
</context>
<context>
    <name>SettingsForm_P2</name>
    <message>
        <source>FIRMWARE</source>
        <translation>FIRMWARE</translation>
    </message>
    <message>
        <source>Machine firmware</source>
        <translation>Machine firmware</translation>
    </message>
    <message>
        <source>Display software</source>
        <translation>Display software</translation>
    </message>
    <message>
        <source>File on the USB stick</source>
        <translation>File on the USB stick</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>UPDATE FIRMWARE</source>
        <translation>UPDATE FIRMWARE</translation>
    </message>
    <message>
        <source>No USB stick</source>
        <translation>No USB stick</translation>
    </message>
    <message>
        <source>No firmware file</source>
        <translation>No firmware file</translation>
    </message>
    <message>
        <source>Firmware file not found.</source>
        <translation>Firmware file not found.</translation>
    </message>
    <message>
        <source>Usb memory not installed.</source>
        <translation>Usb memory not installed.</translation>
    </message>
    <message>
        <source>Firmware file not valid.</source>
        <translation>Firmware file not valid.</translation>
    </message>
    <message>
        <source>Update Firmware.</source>
        <translation>Update Firmware.</translation>
    </message>
    <message>
        <source>Firmware upgrade not started.</source>
        <translation>Firmware upgrade not started.</translation>
    </message>
    <message>
        <source>Firmware upgrade not ended correctly.</source>
        <translation>Firmware upgrade not ended correctly.</translation>
    </message>
</context>
<context>
    <name>SuccessDialog</name>
    <message>
        <source>SUCCESS</source>
        <translation>SUCCESS</translation>
    </message>
</context>
<context>
    <name>SystemInfo</name>
    <message>
        <source>SYSTEM INFORMATION</source>
        <translation>SYSTEM INFORMATION</translation>
    </message>
    <message>
        <source>Software version</source>
        <translation>Software version</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Mains supply</source>
        <translation>Mains supply</translation>
    </message>
    <message>
        <source>Wi-Fi network</source>
        <translation>Wi-Fi network</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>%1 (connected)</source>
        <translation>%1 (connected)</translation>
    </message>
    <message>
        <source>%1 (not connected)</source>
        <translation>%1 (not connected)</translation>
    </message>
</context>
<context>
    <name>SystemStateExport</name>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Restart Machine With Usb Device Mounted.</translation>
    </message>
    <message>
        <source>The file could not be saved on the Usb Device.</source>
        <translation>The file could not be saved on the Usb Device.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File Saved on Usb Device.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>WaitResponseCmd</name>
    <message>
        <source>LOADING JOB</source>
        <translation>LOADING JOB</translation>
    </message>
</context>
<context>
    <name>WiFiManager</name>
    <message>
        <source>GESTIONE WIFI</source>
        <translation>WI-FI MANAGER</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>DETAILS</source>
        <translation>DETAILS</translation>
    </message>
    <message>
        <source>FORGET</source>
        <translation>FORGET</translation>
    </message>
    <message>
        <source>INSERISCI LA PASSWORD
DELLA CONNESSIONE WIFI: </source>
        <translation>ENTER THE PASSWORD
OF THE WI-FI NETWORK: </translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>CLOSE</translation>
    </message>
    <message>
        <source>CONNECT</source>
        <translation>CONNECT</translation>
    </message>
    <message>
        <source>ATTENDERE IL COMPLETAMENTO DELLA PROCEDURA DI CONNESSIONE</source>
        <translation>PLEASE WAIT WHILE THE CONNECTION IS BEING MADE</translation>
    </message>
    <message>
        <source>INSUFFICIENT</source>
        <translation>INSUFFICIENT</translation>
    </message>
    <message>
        <source>SUFFICIENT</source>
        <translation>SUFFICIENT</translation>
    </message>
    <message>
        <source>GOOD</source>
        <translation>GOOD</translation>
    </message>
    <message>
        <source>EXCELLENT</source>
        <translation>EXCELLENT</translation>
    </message>
    <message>
        <source>NOT USABLE</source>
        <translation>NOT USABLE</translation>
    </message>
    <message>
        <source>OPEN</source>
        <translation>OPEN</translation>
    </message>
    <message>
        <source>CONNESSIONE WIFI APERTA: </source>
        <translation>OPEN WI-FI NETWORK: </translation>
    </message>
    <message>
        <source>La password deve avere una lunghezza maggiore di 7 caratteri</source>
        <translation>The password must be longer than 7 characters.</translation>
    </message>
    <message>
        <source>La password deve avere una lunghezza maggiore di 12 caratteri</source>
        <translation>The password must be longer than 12 characters.</translation>
    </message>
    <message>
        <source>Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare.</source>
        <translation>The system cannot connect. Restart the machine and try again.</translation>
    </message>
    <message>
        <source>Verificare la presenza dell&apos;adattatore WiFi</source>
        <translation>Check that the Wi-Fi adapter is plugged in.</translation>
    </message>
    <message>
        <source>Connessione eseguita con successo, le impostazioni sono state salvate per eseguire la connesione automatica.</source>
        <translation>Connected. The settings have been saved: the machine will connect automatically.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Connessione non riuscita verificare le password e riprovare.</source>
        <translation>Connection failed. Check the password and try again.</translation>
    </message>
    <message>
        <source>Operazione non disponibile nessuna rete selezionata.</source>
        <translation>Not available: no network has been chosen.</translation>
    </message>
    <message>
        <source>ESSID: </source>
        <translation>ESSID: </translation>
    </message>
    <message>
        <source>AUTENTICATION TYPE: </source>
        <translation>AUTENTICATION TYPE: </translation>
    </message>
    <message>
        <source>NESSUNA</source>
        <translation>NONE</translation>
    </message>
    <message>
        <source>CONNECTED: </source>
        <translation>CONNECTED: </translation>
    </message>
    <message>
        <source>YES</source>
        <translation>YES</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>SIGNAL LEVEL: </source>
        <translation>SIGNAL LEVEL: </translation>
    </message>
    <message>
        <source>Vuoi cancellare la configurazione della rete attuale?</source>
        <translation>Do you want to delete the configuration of the current network?</translation>
    </message>
</context>
<context>
    <name>WorkStartScreen</name>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Change the air intake filter</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Comunicarion error.
Perform machine restart.</translation>
    </message>
    <message>
        <source>Select a number of portions greater than zero.</source>
        <translation>Select a number of portions greater than zero.</translation>
    </message>
    <message>
        <source>La combinazione di impostazioni potrebbe provocare dei danni.
Vuoi continuare?</source>
        <translation>This combination of settings may damage the machine.
Do you want to continue?</translation>
    </message>
    <message>
        <source>The program holds values the machine cannot take.</source>
        <translation>The program holds values the machine cannot take.</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Error 1</translation>
    </message>
</context>
<context>
    <name>mainline</name>
    <message>
        <source>MAIN LINE SETTINGS</source>
        <translation>MAIN LINE SETTINGS</translation>
    </message>
    <message>
        <source>Mains frequency of the installation</source>
        <translation>Mains frequency of the installation</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sending the supply frequency to the machine...</source>
        <translation>Sending the supply frequency to the machine...</translation>
    </message>
</context>
<context>
    <name>quickstart</name>
    <message>
        <source>FROSTIZING</source>
        <translation>FROSTIZING</translation>
    </message>
    <message>
        <source>PORTIONS</source>
        <translation>PORTIONS</translation>
    </message>
    <message>
        <source>REPETITIONS</source>
        <translation>REPETITIONS</translation>
    </message>
    <message>
        <source>AIR</source>
        <translation>AIR</translation>
    </message>
    <message>
        <source>PRESSURE</source>
        <translation>PRESSURE</translation>
    </message>
    <message>
        <source>FLOW</source>
        <translation>FLOW</translation>
    </message>
    <message>
        <source>NO AIR</source>
        <translation>NO AIR</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>TIME</translation>
    </message>
    <message>
        <source>PORTION</source>
        <translation>PORTION</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>ADVANCED</source>
        <translation>ADVANCED</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>SOFT</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIUM</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>HARD</translation>
    </message>
</context>
<context>
    <name>running</name>
    <message>
        <source>BLADE SPEED</source>
        <translation>BLADE SPEED</translation>
    </message>
    <message>
        <source>DESCENT SPEED</source>
        <translation>DESCENT SPEED</translation>
    </message>
    <message>
        <source>REMAINING TIME</source>
        <translation>REMAINING TIME</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Close the machine and push stop button to reset the machine.</source>
        <translation>Close the machine and push stop button to reset the machine.</translation>
    </message>
    <message>
        <source>Content Too Hard or Dirty Tree.</source>
        <translation>Content Too Hard or Dirty Tree.</translation>
    </message>
    <message>
        <source>Empty Glass or Contents Not Frozen Correctly.</source>
        <translation>Empty Glass or Contents Not Frozen Correctly.</translation>
    </message>
    <message>
        <source>Insufficient Portion.</source>
        <translation>Insufficient Portion.</translation>
    </message>
    <message>
        <source>TOO MUCH
PRODUCT.

WANT TO
CONTINUE?</source>
        <translation>TOO MUCH
PRODUCT.

WANT TO
CONTINUE?</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>YES</translation>
    </message>
    <message>
        <source>To Much Material.</source>
        <translation>To Much Material.</translation>
    </message>
    <message>
        <source>CYCLE %1 / %2</source>
        <translation>CYCLE %1 / %2</translation>
    </message>
    <message>
        <source>PORTION %1 / %2</source>
        <translation>PORTION %1 / %2</translation>
    </message>
    <message>
        <source>STEP %1</source>
        <translation>STEP %1</translation>
    </message>
    <message>
        <source>EMULSION %1</source>
        <translation>EMULSION %1</translation>
    </message>
    <message>
        <source>Work ended.</source>
        <translation>Work ended.</translation>
    </message>
    <message>
        <source>Working.</source>
        <translation>Working.</translation>
    </message>
    <message>
        <source>Waiting for the machine to start.</source>
        <translation>Waiting for the machine to start.</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>CUTTING</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>WHIPPING</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>SOFT</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIUM</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>HARD</translation>
    </message>
    <message>
        <source>FROSTIZING</source>
        <translation>FROSTIZING</translation>
    </message>
</context>
<context>
    <name>speedadvancedsettings</name>
    <message>
        <source>ADVANCED SETTINGS</source>
        <translation>ADVANCED SETTINGS</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
    <message>
        <source>PORTION WEIGHT</source>
        <translation>PORTION WEIGHT</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>SAVE</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>MOMORIZE</source>
        <translation>MOMORIZE</translation>
    </message>
    <message>
        <source>Speed %1 of %2</source>
        <translation>Speed %1 of %2</translation>
    </message>
    <message>
        <source>Portions: %1</source>
        <translation>Portions: %1</translation>
    </message>
</context>
</TS>
