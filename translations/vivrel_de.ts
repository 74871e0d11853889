<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Artwork</name>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Extras</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle wählen</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Plays the pictures of a folder tree as a slide show. Folders and pictures named here are listed, all selected, and the show starts.</source>
        <translation>Spielt die Bilder eines Ordnerbaums als Diaschau ab. Hier genannte Ordner und Bilder werden aufgelistet und alle ausgewählt, dann beginnt die Schau.</translation>
    </message>
    <message>
        <source>A folder to list with the folders below it, or a picture to list alone.</source>
        <translation>Ein Ordner, der mit den Ordnern darunter aufgelistet wird, oder ein Bild, das allein aufgelistet wird.</translation>
    </message>
</context>
<context>
    <name>Error</name>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Bad file name</source>
        <translation>Ungültiger Dateiname</translation>
    </message>
    <message>
        <source>Too many files</source>
        <translation>Zu viele Dateien</translation>
    </message>
    <message>
        <source>File access error</source>
        <translation>Fehler beim Dateizugriff</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Pfad- oder Dateizugriff</translation>
    </message>
    <message>
        <source>Not a file</source>
        <translation>Keine Datei</translation>
    </message>
    <message>
        <source>a folder of that name is in the way</source>
        <translation>ein Ordner dieses Namens ist im Weg</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Picture too large</source>
        <translation>Bild zu groß</translation>
    </message>
    <message>
        <source>Download failed</source>
        <translation>Herunterladen fehlgeschlagen</translation>
    </message>
    <message>
        <source>No list item chosen</source>
        <translation>Kein Listeneintrag gewählt</translation>
    </message>
    <message>
        <source>No trash can take the file</source>
        <translation>Kein Papierkorb kann die Datei aufnehmen</translation>
    </message>
</context>
<context>
    <name>ScreenSaverInhibitor</name>
    <message>
        <source>Playing a slide show</source>
        <translation>Spielt eine Diaschau ab</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>Create INI and AUTORUN Files ?</source>
        <translation>INI- und AUTORUN-Datei anlegen?</translation>
    </message>
    <message>
        <source>Could not write %1:
%2</source>
        <translation>%1 konnte nicht geschrieben werden:
%2</translation>
    </message>
    <message>
        <source>Files Created</source>
        <translation>Dateien angelegt</translation>
    </message>
</context>
<context>
    <name>frmPreview</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Pause Show</source>
        <translation>Diaschau anhalten</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Stretch</source>
        <translation>Strecken</translation>
    </message>
    <message>
        <source>Retain Shape</source>
        <translation>Seitenverhältnis beibehalten</translation>
    </message>
    <message>
        <source>Change Background</source>
        <translation>Hintergrund ändern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Delete %1?</source>
        <translation>%1 löschen?</translation>
    </message>
    <message>
        <source>Delete File</source>
        <translation>Datei löschen</translation>
    </message>
    <message>
        <source>Cannot delete %1: %2</source>
        <translation>%1 kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Select Background</source>
        <translation>Hintergrund auswählen</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Cannot move %1 to the trash. Delete it permanently?</source>
        <translation>%1 kann nicht in den Papierkorb verschoben werden. Endgültig löschen?</translation>
    </message>
</context>
<context>
    <name>frmVivrel</name>
    <message numerus="yes">
        <source>Scanning...
%n pictures</source>
        <translation>
            <numerusform>Suche läuft...
%n Bild</numerusform>
            <numerusform>Suche läuft...
%n Bilder</numerusform>
        </translation>
    </message>
    <message>
        <source>Drive Not Ready...</source>
        <translation>Laufwerk nicht bereit...</translation>
    </message>
    <message>
        <source>Pause Show</source>
        <translation>Diaschau anhalten</translation>
    </message>
    <message>
        <source>Resume Show</source>
        <translation>Diaschau fortsetzen</translation>
    </message>
    <message>
        <source> Create Configuration Settings File (.INI), and Autrun file (Ref. Help for more information) </source>
        <translation> Konfigurationsdatei (.INI) und Autorun-Datei anlegen (mehr dazu in der Hilfe) </translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;Random</source>
        <translation>&amp;Zufällig</translation>
    </message>
    <message>
        <source> Random Order </source>
        <translation> Zufällige Reihenfolge </translation>
    </message>
    <message>
        <source>A&amp;dditive</source>
        <translation>&amp;Anfügen</translation>
    </message>
    <message>
        <source> Check this option if you want to add additional folders to the list without clearing it </source>
        <translation> Ankreuzen, um weitere Ordner an die Liste anzufügen, ohne sie zu leeren </translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Tremallo page</source>
        <translation>Tremallo-Seite</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>S&amp;ave on Exit</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source> Saves your settings for later use </source>
        <translation> Speichert Ihre Einstellungen beim Beenden für später </translation>
    </message>
    <message>
        <source>R&amp;epeat</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source> Continuous Play </source>
        <translation> Endlos abspielen </translation>
    </message>
    <message>
        <source> Browse for Folder </source>
        <translation> Ordner auswählen </translation>
    </message>
    <message>
        <source>Specify File Types </source>
        <translation>Dateitypen festlegen </translation>
    </message>
    <message>
        <source>&amp;Preview</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source> Toggle Previw </source>
        <translation> Vorschau ein- oder ausschalten </translation>
    </message>
    <message>
        <source> Interval Seconds </source>
        <translation> Anzeigedauer in Sekunden </translation>
    </message>
    <message>
        <source> Start Show </source>
        <translation> Diaschau starten </translation>
    </message>
    <message>
        <source> Resume Show </source>
        <translation> Diaschau fortsetzen </translation>
    </message>
    <message>
        <source> Select All Listed Files </source>
        <translation> Alle aufgelisteten Dateien auswählen </translation>
    </message>
    <message>
        <source>F&amp;ull Screen</source>
        <translation>Voll&amp;bild</translation>
    </message>
    <message>
        <source> Show in Full Screen </source>
        <translation> Im Vollbild zeigen </translation>
    </message>
    <message>
        <source> Click here to go to Tremallo Website </source>
        <translation> Hier klicken, um die Website von Tremallo zu öffnen </translation>
    </message>
    <message>
        <source>&amp;Interval</source>
        <translation>&amp;Dauer</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Please spend a moment to send a mail to Tremlo as a token of appreciation</source>
        <translation>Bitte nehmen Sie sich einen Moment Zeit und schicken Sie Tremallo als Dankeschön eine E-Mail</translation>
    </message>
    <message>
        <source>Thank you for using Tremallo Product</source>
        <translation>Danke, dass Sie ein Produkt von Tremallo verwenden</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>Wird vorbereitet...</translation>
    </message>
    <message>
        <source>No %1  found</source>
        <translation>Keine %1 gefunden</translation>
    </message>
    <message>
        <source>Max interval is 30 only</source>
        <translation>Die Dauer beträgt höchstens 30 Sekunden</translation>
    </message>
    <message>
        <source>%1 pictures were left out: their paths are longer than the system allows.</source>
        <translation>%1 Bilder wurden ausgelassen: Ihre Pfade sind länger, als das System erlaubt.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Vivrel: %1 does not exist; skipped.</source>
        <translation>Vivrel: %1 existiert nicht und wird übersprungen.</translation>
    </message>
</context>
</TS>
