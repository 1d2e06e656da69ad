<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it" sourcelanguage="en">
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
        <translation type="unfinished"></translation>
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
</context>
<context>
    <name>ScreenSaver</name>
    <message>
        <source>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</source>
        <translation>RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA</translation>
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
    <name>WaitResponseCmd</name>
    <message>
        <source>LOADING JOB</source>
        <translation>CARICAMENTO LAVORO</translation>
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
</TS>
