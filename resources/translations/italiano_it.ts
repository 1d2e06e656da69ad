<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it" sourcelanguage="en">
<context>
    <name>AnomalyWorking</name>
    <message>
        <source>ANOMALY WORKING</source>
        <translation>ANOMALIA DI LAVORO</translation>
    </message>
    <message>
        <source>ATTENZIONE E&apos; STATA RILEVATA UNA PROCEDURA DI FRESATURA ANOMALA.
INTERROMPERE LA PROCEDURA PREMENDO IL PULSANTE DI STOP OPPURE ATTENDERE IL TERMINE DELLA STESSA.</source>
        <translation>ATTENZIONE E&apos; STATA RILEVATA UNA PROCEDURA DI FRESATURA ANOMALA.
INTERROMPERE LA PROCEDURA PREMENDO IL PULSANTE DI STOP OPPURE ATTENDERE IL TERMINE DELLA STESSA.</translation>
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
        <translation>PULIZIA</translation>
    </message>
    <message>
        <source>BLADE RELEASE</source>
        <translation>SBLOCCO LAMA</translation>
    </message>
    <message>
        <source>AIR PURGE</source>
        <translation>SPURGO ARIA</translation>
    </message>
    <message>
        <source>CUSTOM CLEANING</source>
        <translation>PULIZIA PERSONALIZZATA</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Chiudere la macchina prima di iniziare la lavorazione.</translation>
    </message>
    <message>
        <source>SPURGA IL CONDOTTO DI AREAZIONE.
POI ESCI DALLA SCHERMATA.</source>
        <translation>SPURGA IL CONDOTTO DI AREAZIONE.
POI ESCI DALLA SCHERMATA.</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>ESCI</translation>
    </message>
    <message>
        <source>Place the glass behind the machine.</source>
        <translation>Posizionare il bicchiere dietro la macchina.</translation>
    </message>
</context>
<context>
    <name>CleaningSummary</name>
    <message>
        <source>AUTO
CLEAN</source>
        <translation>PULIZIA
AUTOMATICA</translation>
    </message>
    <message>
        <source>END</source>
        <translation>FINE</translation>
    </message>
    <message>
        <source>TOTAL TIME:</source>
        <translation>TEMPO TOTALE:</translation>
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
        <translation>TEMPO (s)</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>START</source>
        <translation>AVVIO</translation>
    </message>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Cambiare filtro aspirazione aria</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Errore di comunicazione.
Riavviare la macchina.</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Attendere</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Errore 1</translation>
    </message>
    <message>
        <source>PULIZIA LAME</source>
        <translation>PULIZIA LAME</translation>
    </message>
    <message>
        <source>PULIZIA ALBERO</source>
        <translation>PULIZIA ALBERO</translation>
    </message>
    <message>
        <source>PULIZIA LAME + ALBERO</source>
        <translation>PULIZIA LAME + ALBERO</translation>
    </message>
    <message>
        <source>MOLTO VELOCE</source>
        <translation>MOLTO VELOCE</translation>
    </message>
    <message>
        <source>VELOCE</source>
        <translation>VELOCE</translation>
    </message>
    <message>
        <source>LEGGERA</source>
        <translation>LEGGERA</translation>
    </message>
    <message>
        <source>MEDIA</source>
        <translation>MEDIA</translation>
    </message>
    <message>
        <source>PROFONDA</source>
        <translation>PROFONDA</translation>
    </message>
    <message>
        <source>MOLTO PROFONDA</source>
        <translation>MOLTO PROFONDA</translation>
    </message>
</context>
<context>
    <name>CustomCleaningRunning</name>
    <message>
        <source>REMAINING TIME</source>
        <translation>TEMPO RIMANENTE</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Job Aborted From User</source>
        <translation>Lavoro interrotto dall&apos;utente</translation>
    </message>
    <message>
        <source>Machine error.</source>
        <translation>Errore macchina.</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Errore 1</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>PLEASE WAIT</source>
        <translation>ATTENDERE</translation>
    </message>
    <message>
        <source>Sending the settings to the machine.</source>
        <translation>Invio delle impostazioni alla macchina.</translation>
    </message>
    <message>
        <source>WELCOME</source>
        <translation>BENVENUTO</translation>
    </message>
    <message>
        <source>Software version %1</source>
        <translation>Versione software %1</translation>
    </message>
    <message>
        <source>Serial number
%1</source>
        <translation>Numero di serie
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
        <translation>SÌ</translation>
    </message>
</context>
<context>
    <name>EnergySettings</name>
    <message>
        <source>ENERGY SETTINGS</source>
        <translation>IMPOSTAZIONI ENERGIA</translation>
    </message>
    <message>
        <source>BRIGHTNESS</source>
        <translation>LUMINOSITÀ</translation>
    </message>
    <message>
        <source>SCREENSAVER TIME</source>
        <translation>TEMPO SALVASCHERMO</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>SPENTO</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>Impossibile salvare le impostazioni.</translation>
    </message>
</context>
<context>
    <name>ErrorManager</name>
    <message>
        <source>TECNICAL PROBLEM, CONTACT THE ASSISTANCE</source>
        <translation>PROBLEMA TECNICO, CONTATTARE L&apos;ASSISTENZA</translation>
    </message>
    <message>
        <source>ERROR 1
Description E1</source>
        <translation>ERRORE 1
Descrizione E1</translation>
    </message>
    <message>
        <source>ERROR 2
Description E2</source>
        <translation>ERRORE 2
Descrizione E2</translation>
    </message>
    <message>
        <source>ERROR 3
Description E3</source>
        <translation>ERRORE 3
Descrizione E3</translation>
    </message>
    <message>
        <source>ERROR 4
Description E4</source>
        <translation>ERRORE 4
Descrizione E4</translation>
    </message>
    <message>
        <source>ERROR 5
Description E5</source>
        <translation>ERRORE 5
Descrizione E5</translation>
    </message>
    <message>
        <source>ERROR 6
Description E6</source>
        <translation>ERRORE 6
Descrizione E6</translation>
    </message>
    <message>
        <source>ERROR 7
Description E7</source>
        <translation>ERRORE 7
Descrizione E7</translation>
    </message>
    <message>
        <source>ERROR 8
Description E8</source>
        <translation>ERRORE 8
Descrizione E8</translation>
    </message>
    <message>
        <source>ERROR 9
Description E9</source>
        <translation>ERRORE 9
Descrizione E9</translation>
    </message>
    <message>
        <source>ERROR 10
Description E10</source>
        <translation>ERRORE 10
Descrizione E10</translation>
    </message>
    <message>
        <source>ERROR 11
Description E11</source>
        <translation>ERRORE 11
Descrizione E11</translation>
    </message>
    <message>
        <source>ERROR 12
Description E12</source>
        <translation>ERRORE 12
Descrizione E12</translation>
    </message>
    <message>
        <source>ERROR 13
Description E13</source>
        <translation>ERRORE 13
Descrizione E13</translation>
    </message>
</context>
<context>
    <name>ErrorMessage</name>
    <message>
        <source>WARNING</source>
        <translation>ATTENZIONE</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>ERRORE</translation>
    </message>
</context>
<context>
    <name>ErrorState</name>
    <message>
        <source>ERROR STATISTICS</source>
        <translation>STATISTICHE ERRORI</translation>
    </message>
    <message>
        <source>CODE</source>
        <translation>COD.</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>DESCRIZIONE</translation>
    </message>
    <message>
        <source>TOTAL</source>
        <translation>TOTALE</translation>
    </message>
    <message>
        <source>IN A ROW</source>
        <translation>CONSECUTIVI</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>RESET</source>
        <translation>AZZERA</translation>
    </message>
    <message>
        <source>SAVE TO USB</source>
        <translation>SALVA SU USB</translation>
    </message>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Riavviare la macchina con la memoria USB inserita.</translation>
    </message>
    <message>
        <source>File not saved on Usb Device.</source>
        <translation>File non salvato sulla memoria USB.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File salvato sulla memoria USB.</translation>
    </message>
</context>
<context>
    <name>FilterChange</name>
    <message>
        <source>FILTER INFO</source>
        <translation>INFO FILTRO</translation>
    </message>
    <message>
        <source>Working Hour:</source>
        <translation>Ore di lavoro:</translation>
    </message>
    <message>
        <source>Remaining Hour:</source>
        <translation>Ore rimanenti:</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>FILTER CHANGED</source>
        <translation>FILTRO CAMBIATO</translation>
    </message>
</context>
<context>
    <name>LanguageList</name>
    <message>
        <source>LANGUAGE</source>
        <translation>LINGUA</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>SEARCH</source>
        <translation>CERCA</translation>
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
        <translation>Inserire la guarnizione prima di iniziare la lavorazione.</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Chiudere la macchina prima di iniziare la lavorazione.</translation>
    </message>
    <message>
        <source>Insert glass before start working.</source>
        <translation>Inserire il bicchiere prima di iniziare la lavorazione.</translation>
    </message>
    <message>
        <source>Retry close the machine before start working.</source>
        <translation>Richiudere la macchina prima di iniziare la lavorazione.</translation>
    </message>
</context>
<context>
    <name>MachineInfo</name>
    <message>
        <source>MACHINE INFORMATION</source>
        <translation>INFORMAZIONI MACCHINA</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>ESPORTA</translation>
    </message>
    <message>
        <source>WORKING TIME BLADE MOTOR</source>
        <translation>TEMPO DI LAVORO MOTORE LAMA</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR TEMPERATURE</source>
        <translation>TEMPERATURA MASSIMA MOTORE LAMA</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR ABSORPTION</source>
        <translation>ASSORBIMENTO MASSIMO MOTORE LAMA</translation>
    </message>
    <message>
        <source>WORKING TIME TREE MOTOR</source>
        <translation>TEMPO DI LAVORO MOTORE ALBERO</translation>
    </message>
    <message>
        <source>WORKING TIME PUMP</source>
        <translation>TEMPO DI LAVORO POMPA</translation>
    </message>
    <message>
        <source>WORKING TIME FILTER</source>
        <translation>TEMPO DI LAVORO FILTRO</translation>
    </message>
    <message>
        <source>MILLING PORTION</source>
        <translation>PORZIONI FROSTIZZATE</translation>
    </message>
    <message>
        <source>MILLING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI FROSTIZZATI</translation>
    </message>
    <message>
        <source>MILLING BIG GLASS</source>
        <translation>BICCHIERI GRANDI FROSTIZZATI</translation>
    </message>
    <message>
        <source>WHIPPING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI MONTATI</translation>
    </message>
    <message>
        <source>WHIPPING BIG GLASS</source>
        <translation>BICCHIERI GRANDI MONTATI</translation>
    </message>
    <message>
        <source>CUTTING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI TRITATI</translation>
    </message>
    <message>
        <source>CUTTING BIG GLASS</source>
        <translation>BICCHIERI GRANDI TRITATI</translation>
    </message>
    <message>
        <source>CLEANING PERFORMED</source>
        <translation>PULIZIE ESEGUITE</translation>
    </message>
    <message>
        <source>REVISION PORTION</source>
        <translation>PORZIONI ALLA REVISIONE</translation>
    </message>
    <message>
        <source>REVISION COUNTER</source>
        <translation>TEMPO ALLA REVISIONE</translation>
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
        <translation>MORBIDO</translation>
    </message>
    <message>
        <source>---- rpm</source>
        <translation>---- rpm</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIO</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>DURO</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>MONTATURA</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>TAGLIO</translation>
    </message>
    <message>
        <source>CLEANING</source>
        <translation>PULIZIA</translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation>IMPOSTAZIONI</translation>
    </message>
    <message>
        <source>Wait Reset.</source>
        <translation>Attendere il reset.</translation>
    </message>
    <message>
        <source>Firmware upgrade not started.</source>
        <translation>Aggiornamento firmware non avviato.</translation>
    </message>
    <message>
        <source>Firmware upgrade not ended correctly.</source>
        <translation>Aggiornamento firmware non terminato correttamente.</translation>
    </message>
    <message>
        <source>Firmware file not found.</source>
        <translation>File del firmware non trovato.</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Errore di comunicazione.
Riavviare la macchina.</translation>
    </message>
    <message>
        <source>MANUTENZIONE PROGRAMMA.
CONTATTARE L&apos;ASSISTENZA.</source>
        <translation>MANUTENZIONE PROGRAMMATA.
CONTATTARE L&apos;ASSISTENZA.</translation>
    </message>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Cambiare filtro aspirazione aria</translation>
    </message>
    <message>
        <source>Ricorda</source>
        <translation>Ricorda</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Verificare che l&apos;adattatore wifi sia inserito.</source>
        <translation>Verificare che l&apos;adattatore wifi sia inserito.</translation>
    </message>
    <message>
        <source>Spegnere la macchina, inserire adattatore wifi e riaccedere la macchina</source>
        <translation>Spegnere la macchina, inserire adattatore wifi e riaccendere la macchina</translation>
    </message>
    <message>
        <source>Il sistema non riesce a connettersi provare a riavviare la macchina.</source>
        <translation>Il sistema non riesce a connettersi: provare a riavviare la macchina.</translation>
    </message>
    <message>
        <source>Usb memory not installed.</source>
        <translation>Memoria USB non inserita.</translation>
    </message>
    <message>
        <source>Firmware file not valid.</source>
        <translation>File del firmware non valido.</translation>
    </message>
</context>
<context>
    <name>ManualHandling</name>
    <message>
        <source>MANUAL HANDLING</source>
        <translation>MOVIMENTAZIONE MANUALE</translation>
    </message>
    <message>
        <source>Push direction and security button continuously.</source>
        <translation>Tenere premuti il tasto di direzione e il pulsante di sicurezza.</translation>
    </message>
</context>
<context>
    <name>OperatorText</name>
    <message>
        <source>Recipe Saving Error.</source>
        <translation>Errore di salvataggio della ricetta.</translation>
    </message>
    <message>
        <source>Recipe Dettails Saving Error.</source>
        <translation>Errore di salvataggio dei dettagli della ricetta.</translation>
    </message>
    <message>
        <source>Settings Saving Error.</source>
        <translation>Errore di salvataggio delle impostazioni.</translation>
    </message>
    <message>
        <source>Supply Setting Saving Error.</source>
        <translation>Errore di salvataggio dell&apos;impostazione di rete.</translation>
    </message>
    <message>
        <source>Machine Counters Reading Error.</source>
        <translation>Errore di lettura dei contatori macchina.</translation>
    </message>
</context>
<context>
    <name>QuickStartLiquid</name>
    <message>
        <source>CUTTING</source>
        <translation>TAGLIO</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>MORBIDO</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIO</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>DURO</translation>
    </message>
    <message>
        <source>REPETITIONS</source>
        <translation>RIPETIZIONI</translation>
    </message>
    <message>
        <source>AIR</source>
        <translation>ARIA</translation>
    </message>
    <message>
        <source>PRESSURE</source>
        <translation>PRESSIONE</translation>
    </message>
    <message>
        <source>FLOW</source>
        <translation>FLUSSO</translation>
    </message>
    <message>
        <source>NO AIR</source>
        <translation>NO ARIA</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>TEMPO</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>START</source>
        <translation>AVVIO</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>MONTATURA</translation>
    </message>
</context>
<context>
    <name>ReleaseBlade</name>
    <message>
        <source>BLADE RELEASE</source>
        <translation>SGANCIO LAMA</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>CHIUDI</translation>
    </message>
    <message>
        <source>Close the machine before start working.</source>
        <translation>Chiudere la macchina prima di iniziare la lavorazione.</translation>
    </message>
    <message>
        <source>Push direction and security button continuously.</source>
        <translation>Tenere premuti il tasto di direzione e il pulsante di sicurezza.</translation>
    </message>
    <message>
        <source>Push screen and security button continuously.</source>
        <translation>Tenere premuti lo schermo e il pulsante di sicurezza.</translation>
    </message>
    <message>
        <source>Push screen continuously.</source>
        <translation>Tenere premuto lo schermo.</translation>
    </message>
    <message>
        <source>Remove blade.</source>
        <translation>Togliere la lama.</translation>
    </message>
    <message>
        <source>Insert blade.</source>
        <translation>Inserire la lama.</translation>
    </message>
    <message>
        <source>Blade Mounted Incorrectly.</source>
        <translation>Lama montata in modo errato.</translation>
    </message>
    <message>
        <source>Blade not Mounted.</source>
        <translation>Lama non montata.</translation>
    </message>
</context>
<context>
    <name>RunningSummary</name>
    <message>
        <source>Request Cycle</source>
        <translation>Cicli richiesti</translation>
    </message>
    <message>
        <source>Execution Cycle</source>
        <translation>Cicli eseguiti</translation>
    </message>
    <message>
        <source>TOTAL TIME:</source>
        <translation>TEMPO TOTALE:</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>REWORK</source>
        <translation>RILAVORA</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Errore 1</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Attendere</translation>
    </message>
    <message>
        <source>Job Aborted From User.</source>
        <translation>Lavoro interrotto dall&apos;utente.</translation>
    </message>
    <message>
        <source>To Much Product.</source>
        <translation>Troppo prodotto.</translation>
    </message>
    <message>
        <source>Insufficient Portion.</source>
        <translation>Porzioni insufficienti.</translation>
    </message>
    <message>
        <source>Job Completed.</source>
        <translation>Lavoro completato.</translation>
    </message>
</context>
<context>
    <name>ScreenSaver</name>
    <message>
        <source>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</source>
        <translation>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</translation>
    </message>
</context>
<context>
    <name>SelectFunction</name>
    <message>
        <source>CUTTING / WHIPPING</source>
        <translation>TAGLIO / MONTATURA</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>TAGLIO</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>MONTATURA</translation>
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
        <translation>STATO SENSORI</translation>
    </message>
    <message>
        <source>Bicchiere</source>
        <translation>Bicchiere</translation>
    </message>
    <message>
        <source>Porta Bicch. Chiuso</source>
        <translation>Porta Bicch. Chiuso</translation>
    </message>
    <message>
        <source>Porta Guarnizione</source>
        <translation>Porta Guarnizione</translation>
    </message>
    <message>
        <source>Fine Corsa SUP.</source>
        <translation>Fine Corsa SUP.</translation>
    </message>
    <message>
        <source>Fine Corsa INF.</source>
        <translation>Fine Corsa INF.</translation>
    </message>
    <message>
        <source>Fine Corsa BICCH.</source>
        <translation>Fine Corsa BICCH.</translation>
    </message>
    <message>
        <source>Ridondanza BICCH.</source>
        <translation>Ridondanza BICCH.</translation>
    </message>
    <message>
        <source>Lame Montate</source>
        <translation>Lame Montate</translation>
    </message>
    <message>
        <source>Sgancio Lame</source>
        <translation>Sgancio Lame</translation>
    </message>
    <message>
        <source>Posizione Lame</source>
        <translation>Posizione Lame</translation>
    </message>
    <message>
        <source>Giri Lame</source>
        <translation>Giri Lame</translation>
    </message>
    <message>
        <source>Giri Stepper</source>
        <translation>Giri Stepper</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>SAVE TO USB</source>
        <translation>SALVA SU USB</translation>
    </message>
    <message>
        <source>CLOSED</source>
        <translation>CHIUSO</translation>
    </message>
    <message>
        <source>OPEN</source>
        <translation>APERTO</translation>
    </message>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Riavviare la macchina con la memoria USB inserita.</translation>
    </message>
    <message>
        <source>File not saved on Usb Device.</source>
        <translation>File non salvato sulla memoria USB.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File salvato sulla memoria USB.</translation>
    </message>
</context>
<context>
    <name>ServiceCounters</name>
    <message>
        <source>SERVICE COUNTERS</source>
        <translation>CONTATORI ASSISTENZA</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>PORTIONS TO NEXT SERVICE</source>
        <translation>PORZIONI ALLA PROSSIMA REVISIONE</translation>
    </message>
    <message>
        <source>SHAFT MOTOR TIME TO NEXT SERVICE</source>
        <translation>TEMPO MOTORE ALBERO ALLA PROSSIMA REVISIONE</translation>
    </message>
    <message>
        <source>PUMP TIME SINCE FILTER CHANGE</source>
        <translation>TEMPO POMPA DAL CAMBIO FILTRO</translation>
    </message>
    <message>
        <source>BLADE MOTOR TIME</source>
        <translation>TEMPO MOTORE LAMA</translation>
    </message>
    <message>
        <source>SHAFT MOTOR TIME</source>
        <translation>TEMPO MOTORE ALBERO</translation>
    </message>
    <message>
        <source>PRESSURE PUMP TIME</source>
        <translation>TEMPO POMPA DI PRESSIONE</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR TEMPERATURE</source>
        <translation>TEMPERATURA MASSIMA MOTORE LAMA</translation>
    </message>
    <message>
        <source>MAX BLADE MOTOR ABSORPTION</source>
        <translation>ASSORBIMENTO MASSIMO MOTORE LAMA</translation>
    </message>
    <message>
        <source>MILLING PORTION</source>
        <translation>PORZIONI FROSTIZZATE</translation>
    </message>
    <message>
        <source>MILLING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI FROSTIZZATI</translation>
    </message>
    <message>
        <source>MILLING BIG GLASS</source>
        <translation>BICCHIERI GRANDI FROSTIZZATI</translation>
    </message>
    <message>
        <source>WHIPPING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI MONTATI</translation>
    </message>
    <message>
        <source>WHIPPING BIG GLASS</source>
        <translation>BICCHIERI GRANDI MONTATI</translation>
    </message>
    <message>
        <source>CUTTING SMALL GLASS</source>
        <translation>BICCHIERI PICCOLI TRITATI</translation>
    </message>
    <message>
        <source>CUTTING BIG GLASS</source>
        <translation>BICCHIERI GRANDI TRITATI</translation>
    </message>
    <message>
        <source>CLEANING PERFORMED</source>
        <translation>PULIZIE ESEGUITE</translation>
    </message>
    <message>
        <source>RESET</source>
        <translation>AZZERA</translation>
    </message>
    <message>
        <source>Start both countdowns to the next service again?</source>
        <translation>Ripartire con entrambi i conteggi alla prossima revisione?</translation>
    </message>
    <message>
        <source>Set %1 back to zero?</source>
        <translation>Azzerare %1?</translation>
    </message>
</context>
<context>
    <name>ServicePage</name>
    <message>
        <source>SERVICE</source>
        <translation>ASSISTENZA</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>SENSORS</source>
        <translation>SENSORI</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>ESPORTA</translation>
    </message>
    <message>
        <source>EXCHANGES</source>
        <translation>SCAMBI</translation>
    </message>
    <message>
        <source>NO ANSWER</source>
        <translation>SENZA RISPOSTA</translation>
    </message>
    <message>
        <source>CORRUPT</source>
        <translation>CORROTTE</translation>
    </message>
    <message>
        <source>RETRIES</source>
        <translation>RIPETIZIONI</translation>
    </message>
    <message>
        <source>REFUSED</source>
        <translation>RIFIUTATE</translation>
    </message>
    <message>
        <source>PORT RE-OPENS</source>
        <translation>RIAPERTURE PORTA</translation>
    </message>
    <message>
        <source>FAILED EXCHANGES</source>
        <translation>SCAMBI FALLITI</translation>
    </message>
</context>
<context>
    <name>SettingDate</name>
    <message>
        <source>TIME SETTINGS</source>
        <translation>IMPOSTAZIONI ORA</translation>
    </message>
    <message>
        <source>DAY</source>
        <translation>GIORNO</translation>
    </message>
    <message>
        <source>MONTH</source>
        <translation>MESE</translation>
    </message>
    <message>
        <source>YEAR</source>
        <translation>ANNO</translation>
    </message>
    <message>
        <source>HOUR</source>
        <translation>ORA</translation>
    </message>
    <message>
        <source>MINUTE</source>
        <translation>MINUTO</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>CONFIRM</source>
        <translation>CONFERMA</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Do you want to update the date?</source>
        <translation>Vuoi aggiornare la data?</translation>
    </message>
    <message>
        <source>The clock could not be set.</source>
        <translation>Impossibile impostare l&apos;orologio.</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>SETTINGS</source>
        <translation>IMPOSTAZIONI</translation>
    </message>
    <message>
        <source>LANGUAGE</source>
        <translation>LINGUA</translation>
    </message>
    <message>
        <source>MAIN LINE</source>
        <translation>RETE ELETTRICA</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>FIRMWARE</source>
        <translation>FIRMWARE</translation>
    </message>
    <message>
        <source>MACHINE INFORMATION</source>
        <translation>INFORMAZIONI MACCHINA</translation>
    </message>
    <message>
        <source>FACTORY SETTINGS</source>
        <translation>IMPOSTAZIONI DI FABBRICA</translation>
    </message>
    <message>
        <source>SERVICE COUNTERS</source>
        <translation>CONTATORI ASSISTENZA</translation>
    </message>
    <message>
        <source>SERVICE</source>
        <translation>ASSISTENZA TECNICA</translation>
    </message>
    <message>
        <source>Restore the default settings?</source>
        <translation>Ripristinare le impostazioni di fabbrica?</translation>
    </message>
    <message>
        <source>DATE AND TIME</source>
        <translation>DATA E ORA</translation>
    </message>
    <message>
        <source>ENERGY</source>
        <translation>ENERGIA</translation>
    </message>
    <message>
        <source>SYSTEM INFORMATION</source>
        <translation>INFORMAZIONI DI SISTEMA</translation>
    </message>
    <message>
        <source>WI-FI</source>
        <translation>WI-FI</translation>
    </message>
    <message>
        <source>ERROR STATISTICS</source>
        <translation>STATISTICHE ERRORI</translation>
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
        <translation>Firmware macchina</translation>
    </message>
    <message>
        <source>Display software</source>
        <translation>Software display</translation>
    </message>
    <message>
        <source>File on the USB stick</source>
        <translation>File sulla chiavetta USB</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>UPDATE FIRMWARE</source>
        <translation>AGGIORNA FIRMWARE</translation>
    </message>
    <message>
        <source>No USB stick</source>
        <translation>Nessuna chiavetta USB</translation>
    </message>
    <message>
        <source>No firmware file</source>
        <translation>Nessun file firmware</translation>
    </message>
    <message>
        <source>Firmware file not found.</source>
        <translation>File del firmware non trovato.</translation>
    </message>
    <message>
        <source>Usb memory not installed.</source>
        <translation>Memoria USB non inserita.</translation>
    </message>
    <message>
        <source>Firmware file not valid.</source>
        <translation>File del firmware non valido.</translation>
    </message>
    <message>
        <source>Update Firmware.</source>
        <translation>Aggiornamento firmware.</translation>
    </message>
    <message>
        <source>Firmware upgrade not started.</source>
        <translation>Aggiornamento firmware non avviato.</translation>
    </message>
    <message>
        <source>Firmware upgrade not ended correctly.</source>
        <translation>Aggiornamento firmware non terminato correttamente.</translation>
    </message>
</context>
<context>
    <name>SuccessDialog</name>
    <message>
        <source>SUCCESS</source>
        <translation>COMPLETATO</translation>
    </message>
</context>
<context>
    <name>SystemInfo</name>
    <message>
        <source>SYSTEM INFORMATION</source>
        <translation>INFORMAZIONI DI SISTEMA</translation>
    </message>
    <message>
        <source>Software version</source>
        <translation>Versione software</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Versione firmware</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Numero di serie</translation>
    </message>
    <message>
        <source>Mains supply</source>
        <translation>Rete elettrica</translation>
    </message>
    <message>
        <source>Wi-Fi network</source>
        <translation>Rete Wi-Fi</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>Indirizzo IP</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>%1 (connected)</source>
        <translation>%1 (connessa)</translation>
    </message>
    <message>
        <source>%1 (not connected)</source>
        <translation>%1 (non connessa)</translation>
    </message>
</context>
<context>
    <name>SystemStateExport</name>
    <message>
        <source>Restart Machine With Usb Device Mounted.</source>
        <translation>Riavviare la macchina con la memoria USB inserita.</translation>
    </message>
    <message>
        <source>The file could not be saved on the Usb Device.</source>
        <translation>Impossibile salvare il file sulla memoria USB.</translation>
    </message>
    <message>
        <source>File Saved on Usb Device.</source>
        <translation>File salvato sulla memoria USB.</translation>
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
        <translation>CARICAMENTO LAVORO</translation>
    </message>
</context>
<context>
    <name>WiFiManager</name>
    <message>
        <source>GESTIONE WIFI</source>
        <translation>GESTIONE WIFI</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>DETAILS</source>
        <translation>DETTAGLI</translation>
    </message>
    <message>
        <source>FORGET</source>
        <translation>DIMENTICA</translation>
    </message>
    <message>
        <source>INSERISCI LA PASSWORD
DELLA CONNESSIONE WIFI: </source>
        <translation>INSERISCI LA PASSWORD
DELLA CONNESSIONE WIFI: </translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>CHIUDI</translation>
    </message>
    <message>
        <source>CONNECT</source>
        <translation>CONNETTI</translation>
    </message>
    <message>
        <source>ATTENDERE IL COMPLETAMENTO DELLA PROCEDURA DI CONNESSIONE</source>
        <translation>ATTENDERE IL COMPLETAMENTO DELLA PROCEDURA DI CONNESSIONE</translation>
    </message>
    <message>
        <source>INSUFFICIENT</source>
        <translation>INSUFFICIENTE</translation>
    </message>
    <message>
        <source>SUFFICIENT</source>
        <translation>SUFFICIENTE</translation>
    </message>
    <message>
        <source>GOOD</source>
        <translation>BUONO</translation>
    </message>
    <message>
        <source>EXCELLENT</source>
        <translation>OTTIMO</translation>
    </message>
    <message>
        <source>NOT USABLE</source>
        <translation>NON UTILIZZABILE</translation>
    </message>
    <message>
        <source>OPEN</source>
        <translation>APERTA</translation>
    </message>
    <message>
        <source>CONNESSIONE WIFI APERTA: </source>
        <translation>CONNESSIONE WIFI APERTA: </translation>
    </message>
    <message>
        <source>La password deve avere una lunghezza maggiore di 7 caratteri</source>
        <translation>La password deve avere una lunghezza maggiore di 7 caratteri.</translation>
    </message>
    <message>
        <source>La password deve avere una lunghezza maggiore di 12 caratteri</source>
        <translation>La password deve avere una lunghezza maggiore di 12 caratteri.</translation>
    </message>
    <message>
        <source>Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare.</source>
        <translation>Il sistema non riesce a connettersi: provare a riavviare la macchina e riprovare.</translation>
    </message>
    <message>
        <source>Verificare la presenza dell&apos;adattatore WiFi</source>
        <translation>Verificare la presenza dell&apos;adattatore WiFi.</translation>
    </message>
    <message>
        <source>Connessione eseguita con successo, le impostazioni sono state salvate per eseguire la connesione automatica.</source>
        <translation>Connessione eseguita con successo: le impostazioni sono state salvate per eseguire la connessione automatica.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Connessione non riuscita verificare le password e riprovare.</source>
        <translation>Connessione non riuscita: verificare la password e riprovare.</translation>
    </message>
    <message>
        <source>Operazione non disponibile nessuna rete selezionata.</source>
        <translation>Operazione non disponibile: nessuna rete selezionata.</translation>
    </message>
    <message>
        <source>ESSID: </source>
        <translation>ESSID: </translation>
    </message>
    <message>
        <source>AUTENTICATION TYPE: </source>
        <translation>TIPO DI AUTENTICAZIONE: </translation>
    </message>
    <message>
        <source>NESSUNA</source>
        <translation>NESSUNA</translation>
    </message>
    <message>
        <source>CONNECTED: </source>
        <translation>CONNESSO: </translation>
    </message>
    <message>
        <source>YES</source>
        <translation>SÌ</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>SIGNAL LEVEL: </source>
        <translation>LIVELLO DEL SEGNALE: </translation>
    </message>
    <message>
        <source>Vuoi cancellare la configurazione della rete attuale?</source>
        <translation>Vuoi cancellare la configurazione della rete attuale?</translation>
    </message>
</context>
<context>
    <name>WorkStartScreen</name>
    <message>
        <source>Cambiare filtro aspirazione aria</source>
        <translation>Cambiare filtro aspirazione aria</translation>
    </message>
    <message>
        <source>Comunicarion error.
Perform machine restart.</source>
        <translation>Errore di comunicazione.
Riavviare la macchina.</translation>
    </message>
    <message>
        <source>Select a number of portions greater than zero.</source>
        <translation>Selezionare un numero di porzioni maggiore di zero.</translation>
    </message>
    <message>
        <source>La combinazione di impostazioni potrebbe provocare dei danni.
Vuoi continuare?</source>
        <translation>La combinazione di impostazioni potrebbe provocare dei danni.
Vuoi continuare?</translation>
    </message>
    <message>
        <source>The program holds values the machine cannot take.</source>
        <translation>Il programma contiene valori che la macchina non può accettare.</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Attendere</translation>
    </message>
    <message>
        <source>Error 1</source>
        <translation>Errore 1</translation>
    </message>
</context>
<context>
    <name>mainline</name>
    <message>
        <source>MAIN LINE SETTINGS</source>
        <translation>IMPOSTAZIONI RETE ELETTRICA</translation>
    </message>
    <message>
        <source>Mains frequency of the installation</source>
        <translation>Frequenza della rete elettrica dell&apos;impianto</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>Tensione</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sending the supply frequency to the machine...</source>
        <translation>Invio della frequenza di rete alla macchina...</translation>
    </message>
</context>
<context>
    <name>quickstart</name>
    <message>
        <source>FROSTIZING</source>
        <translation>FRESATURA</translation>
    </message>
    <message>
        <source>PORTIONS</source>
        <translation>PORZIONI</translation>
    </message>
    <message>
        <source>REPETITIONS</source>
        <translation>RIPETIZIONI</translation>
    </message>
    <message>
        <source>AIR</source>
        <translation>ARIA</translation>
    </message>
    <message>
        <source>PRESSURE</source>
        <translation>PRESSIONE</translation>
    </message>
    <message>
        <source>FLOW</source>
        <translation>FLUSSO</translation>
    </message>
    <message>
        <source>NO AIR</source>
        <translation>NO ARIA</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>TEMPO</translation>
    </message>
    <message>
        <source>PORTION</source>
        <translation>PORZIONE</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>HOME</translation>
    </message>
    <message>
        <source>ADVANCED</source>
        <translation>AVANZATE</translation>
    </message>
    <message>
        <source>START</source>
        <translation>AVVIO</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>MORBIDO</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIO</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>DURO</translation>
    </message>
</context>
<context>
    <name>running</name>
    <message>
        <source>BLADE SPEED</source>
        <translation>VELOCITÀ LAMA</translation>
    </message>
    <message>
        <source>DESCENT SPEED</source>
        <translation>VELOCITÀ DISCESA</translation>
    </message>
    <message>
        <source>REMAINING TIME</source>
        <translation>TEMPO RIMANENTE</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Close the machine and push stop button to reset the machine.</source>
        <translation>Chiudere la macchina e premere il pulsante di stop per ripristinarla.</translation>
    </message>
    <message>
        <source>Content Too Hard or Dirty Tree.</source>
        <translation>Contenuto troppo duro o albero sporco.</translation>
    </message>
    <message>
        <source>Empty Glass or Contents Not Frozen Correctly.</source>
        <translation>Bicchiere vuoto o contenuto non congelato correttamente.</translation>
    </message>
    <message>
        <source>Insufficient Portion.</source>
        <translation>Porzioni insufficienti.</translation>
    </message>
    <message>
        <source>TOO MUCH
PRODUCT.

WANT TO
CONTINUE?</source>
        <translation>TROPPO
PRODOTTO.

VUOI
CONTINUARE?</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>SÌ</translation>
    </message>
    <message>
        <source>To Much Material.</source>
        <translation>Troppo materiale.</translation>
    </message>
    <message>
        <source>CYCLE %1 / %2</source>
        <translation>CICLO %1 / %2</translation>
    </message>
    <message>
        <source>PORTION %1 / %2</source>
        <translation>PORZIONE %1 / %2</translation>
    </message>
    <message>
        <source>STEP %1</source>
        <translation>PASSO %1</translation>
    </message>
    <message>
        <source>EMULSION %1</source>
        <translation>EMULSIONE %1</translation>
    </message>
    <message>
        <source>Work ended.</source>
        <translation>Lavoro terminato.</translation>
    </message>
    <message>
        <source>Working.</source>
        <translation>Lavorazione in corso.</translation>
    </message>
    <message>
        <source>Waiting for the machine to start.</source>
        <translation>In attesa dell&apos;avvio della macchina.</translation>
    </message>
    <message>
        <source>CUTTING</source>
        <translation>TAGLIO</translation>
    </message>
    <message>
        <source>WHIPPING</source>
        <translation>MONTATURA</translation>
    </message>
    <message>
        <source>SOFT</source>
        <translation>MORBIDO</translation>
    </message>
    <message>
        <source>MEDIUM</source>
        <translation>MEDIO</translation>
    </message>
    <message>
        <source>HARD</source>
        <translation>DURO</translation>
    </message>
    <message>
        <source>FROSTIZING</source>
        <translation>FROSTIZZAZIONE</translation>
    </message>
</context>
<context>
    <name>speedadvancedsettings</name>
    <message>
        <source>ADVANCED SETTINGS</source>
        <translation>IMPOSTAZIONI AVANZATE</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>VELOCITÀ</translation>
    </message>
    <message>
        <source>PORTION WEIGHT</source>
        <translation>PESO PORZIONE</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>INDIETRO</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>SALVA</translation>
    </message>
    <message>
        <source>START</source>
        <translation>AVVIO</translation>
    </message>
    <message>
        <source>MOMORIZE</source>
        <translation>MEMORIZZATO</translation>
    </message>
    <message>
        <source>Speed %1 of %2</source>
        <translation>Velocità %1 di %2</translation>
    </message>
    <message>
        <source>Portions: %1</source>
        <translation>Porzioni: %1</translation>
    </message>
</context>
</TS>
