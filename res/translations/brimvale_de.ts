<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>StringTable</name>
    <message>
        <source>&amp;About Brimvale...</source>
        <translation>Ü&amp;ber Brimvale...</translation>
    </message>
    <message>
        <source>Brimvale</source>
        <translation>Brimvale</translation>
    </message>
    <message>
        <source>Method Selection</source>
        <translation>Auswahl der Methode</translation>
    </message>
    <message>
        <source>     Choose the method you would like Brimvale to use to free disk space :</source>
        <translation>     Wählen Sie, wie Brimvale Speicherplatz auf dem Laufwerk freigeben soll:</translation>
    </message>
    <message>
        <source>&amp;Express</source>
        <translation>&amp;Express</translation>
    </message>
    <message>
        <source>Brimvale will search for temporary files, files in the Recycle Bin and temporary folders and commonly discardable files.</source>
        <translation>Brimvale sucht temporäre Dateien, Dateien im Papierkorb und in temporären Ordnern sowie Dateien, die üblicherweise entbehrlich sind.</translation>
    </message>
    <message>
        <source>Cu&amp;stom</source>
        <translation>&amp;Benutzerdefiniert</translation>
    </message>
    <message>
        <source>Brimvale will search for files matching more criterions : location, name, extension, size, creation time, last modified time and last accessed time.
For advanced users.</source>
        <translation>Brimvale sucht Dateien nach weiteren Kriterien: Ort, Name, Dateiendung, Größe, Erstellungszeit, letzte Änderung und letzter Zugriff.
Für erfahrene Benutzer.</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Criterions Selection</source>
        <translation>Auswahl der Kriterien</translation>
    </message>
    <message>
        <source>     Choose the matching criterions you would like Brimvale to use to find the files that qualify as candidates for deletion, compression or moving :</source>
        <translation>     Wählen Sie die Kriterien, nach denen Brimvale die Dateien finden soll, die zum Löschen, Komprimieren oder Verschieben infrage kommen:</translation>
    </message>
    <message>
        <source>Na&amp;me</source>
        <translation>Na&amp;me</translation>
    </message>
    <message>
        <source>&amp;Extension</source>
        <translation>&amp;Dateiendung</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Größe</translation>
    </message>
    <message>
        <source>C&amp;reation Time</source>
        <translation>E&amp;rstellungszeit</translation>
    </message>
    <message>
        <source>Last Mo&amp;dified Time</source>
        <translation>&amp;Letzte Änderung</translation>
    </message>
    <message>
        <source>Last &amp;Accessed Time</source>
        <translation>Letzter Zugr&amp;iff</translation>
    </message>
    <message>
        <source>Drive Selection</source>
        <translation>Auswahl des Laufwerks</translation>
    </message>
    <message>
        <source>     Select the drive on which you would like to get more free space:</source>
        <translation>     Wählen Sie das Laufwerk, auf dem Sie mehr freien Speicherplatz gewinnen möchten:</translation>
    </message>
    <message>
        <source>Name Selection</source>
        <translation>Auswahl der Namen</translation>
    </message>
    <message>
        <source>     Enter the name(s) which you would like to match files to qualify as candidates to deletion, compression or moving. Wildcards are allowed.

     Warning : File names must not have extensions !</source>
        <translation>     Geben Sie die Namen ein, denen Dateien entsprechen müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen. Platzhalter sind erlaubt.

     Achtung: Dateinamen ohne Dateiendung angeben!</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>Hinzu&amp;fügen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>New Name</source>
        <translation>Neuer Name</translation>
    </message>
    <message>
        <source>     The files below qualify. Uncheck the ones you want to keep, then Delete the checked files for good, Move them to another folder, Compress them into a zip archive, or Eliminate them from the list.
     Restart begins a new search.</source>
        <translation>     Die folgenden Dateien kommen infrage. Nehmen Sie das Häkchen bei den Dateien weg, die Sie behalten möchten. Dann können Sie die markierten Dateien endgültig Löschen, in einen anderen Ordner Verschieben, in ein Zip-Archiv Komprimieren oder aus der Liste Entfernen.
     Neustart beginnt eine neue Suche.</translation>
    </message>
    <message>
        <source>Location Selection</source>
        <translation>Auswahl der Orte</translation>
    </message>
    <message>
        <source>     Enter the name(s) which you would like to match folders where Brimvale will search for discardable files. Wildcards are allowed.

     Warning : Brimvale will search for the discardable files ONLY in the matching folders !</source>
        <translation>     Geben Sie die Namen der Ordner ein, in denen Brimvale nach entbehrlichen Dateien suchen soll. Platzhalter sind erlaubt.

     Achtung: Brimvale sucht entbehrliche Dateien NUR in den passenden Ordnern!</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>&amp;Location</source>
        <translation>&amp;Ort</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message>
        <source>Extension Selection</source>
        <translation>Auswahl der Dateiendungen</translation>
    </message>
    <message>
        <source>     Select the extension(s) which you would like to match files to qualify as candidates to deletion, compression or moving.</source>
        <translation>     Wählen Sie die Dateiendungen, die Dateien haben müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen.</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Dateiendung</translation>
    </message>
    <message>
        <source>New Extension</source>
        <translation>Neue Dateiendung</translation>
    </message>
    <message>
        <source>Size Selection</source>
        <translation>Auswahl der Größe</translation>
    </message>
    <message>
        <source>     Select the size which you would like to match files to qualify as candidates to deletion, compression or moving.</source>
        <translation>     Wählen Sie die Größe, die Dateien haben müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen.</translation>
    </message>
    <message>
        <source>Less than</source>
        <translation>Kleiner als</translation>
    </message>
    <message>
        <source>Between</source>
        <translation>Zwischen</translation>
    </message>
    <message>
        <source>Larger than</source>
        <translation>Größer als</translation>
    </message>
    <message>
        <source>Creation Time Selection</source>
        <translation>Auswahl der Erstellungszeit</translation>
    </message>
    <message>
        <source>     Select the creation time which you would like to match files to qualify as candidates to deletion, compression or moving.</source>
        <translation>     Wählen Sie die Erstellungszeit, die Dateien haben müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen.</translation>
    </message>
    <message>
        <source>Older than</source>
        <translation>Älter als</translation>
    </message>
    <message>
        <source>Recent than</source>
        <translation>Neuer als</translation>
    </message>
    <message>
        <source>and</source>
        <translation>und</translation>
    </message>
    <message>
        <source>Last Modified Time Selection</source>
        <translation>Auswahl der letzten Änderung</translation>
    </message>
    <message>
        <source>     Select the modification time which you would like to match files to qualify as candidates to deletion, compression or moving.</source>
        <translation>     Wählen Sie die Zeit der letzten Änderung, die Dateien haben müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen.</translation>
    </message>
    <message>
        <source>Last Accessed Time Selection</source>
        <translation>Auswahl des letzten Zugriffs</translation>
    </message>
    <message>
        <source>     Select the last accessed time which you would like to match files to qualify as candidates to deletion, compression or moving.</source>
        <translation>     Wählen Sie die Zeit des letzten Zugriffs, die Dateien haben müssen, um zum Löschen, Komprimieren oder Verschieben infrage zu kommen.</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>%x</source>
        <translation>%x</translation>
    </message>
    <message>
        <source>Can&apos;t create the path &quot;%s&quot;.
Please try another path.</source>
        <translation>Der Pfad „%s“ kann nicht angelegt werden.
Bitte versuchen Sie einen anderen Pfad.</translation>
    </message>
    <message>
        <source>Back-up.zip</source>
        <translation>Sicherung.zip</translation>
    </message>
    <message>
        <source>Zip Files (*.zip)|*.zip|All Files (*.*)|*.*||</source>
        <translation>Zip-Dateien (*.zip)|*.zip|Alle Dateien (*.*)|*.*||</translation>
    </message>
    <message>
        <source>zip</source>
        <translation>zip</translation>
    </message>
    <message>
        <source>Save As Zip</source>
        <translation>Als Zip speichern</translation>
    </message>
    <message>
        <source>Deleting ...</source>
        <translation>Löschen ...</translation>
    </message>
    <message>
        <source>Moving ...</source>
        <translation>Verschieben ...</translation>
    </message>
    <message>
        <source>Compressing ...</source>
        <translation>Komprimieren ...</translation>
    </message>
    <message>
        <source>Eliminating ...</source>
        <translation>Entfernen ...</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>
Are you sure you want to permanently delete these files ?</source>
        <translation>
Möchten Sie diese Dateien wirklich endgültig löschen?</translation>
    </message>
    <message>
        <source>Can&apos;t load the library :
%s
Verify the existance and the integrity of the file.</source>
        <translation>Die Bibliothek kann nicht geladen werden:
%s
Prüfen Sie, ob die Datei vorhanden und unbeschädigt ist.</translation>
    </message>
    <message>
        <source>Can&apos;t access the entry of the library :
%s
Verify the integrity of the file.</source>
        <translation>Der Einsprungpunkt der Bibliothek ist nicht erreichbar:
%s
Prüfen Sie, ob die Datei unbeschädigt ist.</translation>
    </message>
    <message>
        <source>An error occured while compressing the file  :
%s
The file wasn&apos;t compressed.</source>
        <translation>Beim Komprimieren der Datei ist ein Fehler aufgetreten:
%s
Die Datei wurde nicht komprimiert.</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; is not a zip archive.
It was left as it is. Please choose another name.</source>
        <translation>Die Datei „%s“ ist kein ZIP-Archiv.
Sie wurde nicht verändert. Bitte wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>&amp;Details &gt;&gt;</source>
        <translation>&amp;Details &gt;&gt;</translation>
    </message>
    <message>
        <source>&amp;Details &lt;&lt;</source>
        <translation>&amp;Details &lt;&lt;</translation>
    </message>
    <message>
        <source>   Some files couldn&apos;t be deleted. They may be used by another application. You can eliminate them from the results list by pressing &apos;Eliminate&apos;.
   Press &apos;Details&apos; to see the a list of these files now.</source>
        <translation>   Einige Dateien konnten nicht gelöscht werden. Vielleicht werden sie von einem anderen Programm benutzt. Mit „Entfernen“ nehmen Sie sie aus der Ergebnisliste.
   Mit „Details“ sehen Sie jetzt die Liste dieser Dateien.</translation>
    </message>
    <message>
        <source>   Some files couldn&apos;t be moved. They may be used by another application. You can eliminate them from the results list by pressing &apos;Eliminate&apos;.
   Press &apos;Details&apos; to see the a list of these files now.</source>
        <translation>   Einige Dateien konnten nicht verschoben werden. Vielleicht werden sie von einem anderen Programm benutzt. Mit „Entfernen“ nehmen Sie sie aus der Ergebnisliste.
   Mit „Details“ sehen Sie jetzt die Liste dieser Dateien.</translation>
    </message>
    <message>
        <source>Error while trying to strart the help file .
The file &quot;BVHelp.chm&quot;  is missing or is corrupt, 
or your system doesn&apos;t support HTML help.</source>
        <translation>Die Hilfedatei kann nicht geöffnet werden.
Die Datei „BVHelp.chm“ fehlt oder ist beschädigt, 
oder Ihr System kann keine HTML-Hilfe anzeigen.</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Neustart</translation>
    </message>
    <message>
        <source>Selected : %s in %d files</source>
        <translation>Ausgewählt: %s in %d Dateien</translation>
    </message>
    <message>
        <source>Current Free Space : %s</source>
        <translation>Freier Speicherplatz: %s</translation>
    </message>
    <message>
        <source>    Results </source>
        <translation>    Ergebnisse </translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Created</source>
        <translation>Erstellt</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Accessed</source>
        <translation>Letzter Zugriff</translation>
    </message>
    <message>
        <source>Restarting ...</source>
        <translation>Neustart ...</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>&amp;Verschieben</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Com&amp;press</source>
        <translation>&amp;Komprimieren</translation>
    </message>
    <message>
        <source>&amp;Eliminate</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>Bitte geben Sie eine ganze Zahl ein.</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>About Brimvale</source>
        <translation>Über Brimvale</translation>
    </message>
    <message>
        <source>Brimvale  Version 1.21</source>
        <translation>Brimvale  Version 1.21</translation>
    </message>
    <message>
        <source>Disk clean-up wizard, 2026</source>
        <translation>Assistent zum Aufräumen der Festplatte, 2026</translation>
    </message>
    <message>
        <source>Visit our web site :</source>
        <translation>Besuchen Sie unsere Website:</translation>
    </message>
    <message>
        <source>https://brimvale.example.org/</source>
        <translation>https://brimvale.example.org/</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>&amp;Preserve Path</source>
        <translation>&amp;Pfad beibehalten</translation>
    </message>
    <message>
        <source>GetUIObjectOf failed! hr=%lx</source>
        <translation>GetUIObjectOf fehlgeschlagen! hr=%lx</translation>
    </message>
    <message>
        <source>InvokeCommand failed. hr=%lx</source>
        <translation>InvokeCommand fehlgeschlagen. hr=%lx</translation>
    </message>
    <message>
        <source>Unable to open hyperlink:

</source>
        <translation>Der Link kann nicht geöffnet werden:

</translation>
    </message>
    <message>
        <source>The operating system is out
of memory or resources.</source>
        <translation>Dem Betriebssystem fehlen
Speicher oder Ressourcen.</translation>
    </message>
    <message>
        <source>The specified file was not found.</source>
        <translation>Die angegebene Datei wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The specified path was not found.</source>
        <translation>Der angegebene Pfad wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The operating system denied
access to the specified file.</source>
        <translation>Das Betriebssystem hat den Zugriff
auf die angegebene Datei verweigert.</translation>
    </message>
    <message>
        <source>There was not enough memory to complete the operation.</source>
        <translation>Für diesen Vorgang ist nicht genug Speicher frei.</translation>
    </message>
    <message>
        <source>The .EXE file is invalid
(non-Win32 .EXE or error in .EXE image).</source>
        <translation>Die .EXE-Datei ist ungültig
(keine Win32-.EXE oder Fehler im .EXE-Abbild).</translation>
    </message>
    <message>
        <source>A sharing violation occurred. </source>
        <translation>Eine Freigabeverletzung ist aufgetreten. </translation>
    </message>
    <message>
        <source>The filename association is
incomplete or invalid.</source>
        <translation>Die Dateizuordnung ist
unvollständig oder ungültig.</translation>
    </message>
    <message>
        <source>The DDE transaction could not
be completed because the request timed out.</source>
        <translation>Der DDE-Vorgang konnte nicht
abgeschlossen werden, weil die Anfrage zu lange dauerte.</translation>
    </message>
    <message>
        <source>The DDE transaction failed.</source>
        <translation>Der DDE-Vorgang ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>The DDE transaction could not
be completed because other DDE transactions
were being processed.</source>
        <translation>Der DDE-Vorgang konnte nicht
abgeschlossen werden, weil andere DDE-Vorgänge
bearbeitet wurden.</translation>
    </message>
    <message>
        <source>There is no application associated
with the given filename extension.</source>
        <translation>Dieser Dateiendung ist
kein Programm zugeordnet.</translation>
    </message>
    <message>
        <source>The specified dynamic-link library was not found.</source>
        <translation>Die angegebene Programmbibliothek wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Unknown Error (%d) occurred.</source>
        <translation>Unbekannter Fehler (%d) aufgetreten.</translation>
    </message>
    <message>
        <source>Left out as protected : %d files (%s)</source>
        <translation>Als geschützt ausgelassen: %d Dateien (%s)</translation>
    </message>
    <message>
        <source>Locked as protected : %d files (%s)</source>
        <translation>Als geschützt gesperrt: %d Dateien (%s)</translation>
    </message>
    <message>
        <source>%s %d</source>
        <translation>%s %d</translation>
    </message>
    <message>
        <source>owned by packages</source>
        <translation>gehören zu Paketen</translation>
    </message>
    <message>
        <source>in use</source>
        <translation>in Gebrauch</translation>
    </message>
    <message>
        <source>protected folder</source>
        <translation>geschützter Ordner</translation>
    </message>
    <message>
        <source>open files of %d processes could not be read</source>
        <translation>offene Dateien von %d Prozessen nicht lesbar</translation>
    </message>
    <message>
        <source>Protected (%s): this file cannot be checked</source>
        <translation>Geschützt (%s): diese Datei kann nicht markiert werden</translation>
    </message>
    <message>
        <source>backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>desktop session</source>
        <translation>Desktop-Sitzung</translation>
    </message>
    <message>
        <source>needs administrator rights</source>
        <translation>erfordert Administratorrechte</translation>
    </message>
    <message>
        <source>immutable</source>
        <translation>unveränderlich</translation>
    </message>
    <message>
        <source>%d files you may not remove were left out</source>
        <translation>%d Dateien, die Sie nicht entfernen dürfen, wurden ausgelassen</translation>
    </message>
    <message>
        <source>Left unchecked as in use : %d files (changed in the last %d hours)</source>
        <translation>Als in Gebrauch nicht markiert: %d Dateien (in den letzten %d Stunden geändert)</translation>
    </message>
    <message>
        <source>In use: changed %d hours ago</source>
        <translation>In Gebrauch: vor %d Stunden geändert</translation>
    </message>
    <message>
        <source>In use: changed 1 hour ago</source>
        <translation>In Gebrauch: vor 1 Stunde geändert</translation>
    </message>
    <message>
        <source>In use: changed less than an hour ago</source>
        <translation>In Gebrauch: vor weniger als einer Stunde geändert</translation>
    </message>
    <message>
        <source>1 folder could not be read; its files were not searched.</source>
        <translation>1 Ordner war nicht lesbar; seine Dateien wurden nicht durchsucht.</translation>
    </message>
    <message>
        <source>%d folders could not be read; their files were not searched.</source>
        <translation>%d Ordner waren nicht lesbar; ihre Dateien wurden nicht durchsucht.</translation>
    </message>
    <message>
        <source>frees about %s</source>
        <translation>gibt etwa %s frei</translation>
    </message>
    <message>
        <source>frees about %s (up to %s)</source>
        <translation>gibt etwa %s frei (bis zu %s)</translation>
    </message>
    <message>
        <source>%s are held by deleted files that are still open: %s</source>
        <translation>%s belegen gelöschte Dateien, die noch geöffnet sind: %s</translation>
    </message>
    <message>
        <source>Snapshots of this drive keep some of this space until they are removed.</source>
        <translation>Schnappschüsse dieses Laufwerks behalten einen Teil dieses Platzes, bis sie entfernt werden.</translation>
    </message>
    <message>
        <source>Shared</source>
        <translation>Geteilt</translation>
    </message>
    <message>
        <source>%s of its data is shared with other files or snapshots</source>
        <translation>%s seiner Daten teilt es mit anderen Dateien oder Schnappschüssen</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Erledigt.</translation>
    </message>
    <message>
        <source>The file no longer exists.</source>
        <translation>Die Datei existiert nicht mehr.</translation>
    </message>
    <message>
        <source>Another file or a link now stands in its place.</source>
        <translation>An ihrer Stelle steht jetzt eine andere Datei oder ein Link.</translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <translation>Zugriff verweigert.</translation>
    </message>
    <message>
        <source>The system refused: %s</source>
        <translation>Das System hat abgelehnt: %s</translation>
    </message>
    <message>
        <source>The file has changed since the scan.</source>
        <translation>Die Datei wurde seit der Suche geändert.</translation>
    </message>
    <message>
        <source>The file is already there.</source>
        <translation>Die Datei ist bereits dort.</translation>
    </message>
    <message>
        <source>open files of 1 process could not be read</source>
        <translation>offene Dateien von 1 Prozess konnten nicht gelesen werden</translation>
    </message>
    <message>
        <source>1 file was stored under a numbered name, such as &quot;name (2).ext&quot;: the archive already held another file of its name.</source>
        <translation>1 Datei wurde unter einem nummerierten Namen wie &quot;name (2).ext&quot; gespeichert: das Archiv enthielt schon eine andere Datei dieses Namens.</translation>
    </message>
    <message>
        <source>%d files were stored under numbered names, such as &quot;name (2).ext&quot;: the archive already held other files of their names.</source>
        <translation>%d Dateien wurden unter nummerierten Namen wie &quot;name (2).ext&quot; gespeichert: das Archiv enthielt schon andere Dateien dieser Namen.</translation>
    </message>
    <message>
        <source>Its name holds bytes that are not text: they can be kept, but not typed.</source>
        <translation>Sein Name enthält Bytes, die kein Text sind: sie können erhalten, aber nicht getippt werden.</translation>
    </message>
    <message>
        <source>Reasons</source>
        <translation>Gründe</translation>
    </message>
    <message>
        <source>The file was set aside and could not be put back under its name.</source>
        <translation>Die Datei wurde beiseitegelegt und konnte nicht unter ihrem Namen zurückgelegt werden.</translation>
    </message>
    <message>
        <source>Installed software or a running program needs this file.</source>
        <translation>Installierte Software oder ein laufendes Programm braucht diese Datei.</translation>
    </message>
    <message>
        <source>%s %s of %s</source>
        <translation>%s %s von %s</translation>
    </message>
    <message>
        <source>Open in File Manager</source>
        <translation>Im Dateimanager öffnen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Can&apos;t create the folder &quot;%s&quot;.
%s</source>
        <translation>Der Ordner „%s“ kann nicht angelegt werden.
%s</translation>
    </message>
    <message>
        <source>Can&apos;t rename &quot;%s&quot;.
%s</source>
        <translation>„%s“ kann nicht umbenannt werden.
%s</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>Check all with this reason</source>
        <translation>Alle mit diesem Grund markieren</translation>
    </message>
    <message>
        <source>Uncheck all with this reason</source>
        <translation>Bei allen mit diesem Grund Häkchen entfernen</translation>
    </message>
    <message>
        <source>Reasons...</source>
        <translation>Gründe...</translation>
    </message>
    <message>
        <source>Save List...</source>
        <translation>Liste speichern...</translation>
    </message>
    <message>
        <source>Folder &quot;%s&quot;: %s</source>
        <translation>Ordner „%s“: %s</translation>
    </message>
    <message>
        <source>Name &quot;%s&quot;</source>
        <translation>Name „%s“</translation>
    </message>
    <message>
        <source>Extension &quot;%s&quot;</source>
        <translation>Dateiendung „%s“</translation>
    </message>
    <message>
        <source>Size at most %s</source>
        <translation>Größe höchstens %s</translation>
    </message>
    <message>
        <source>Size between %s and %s</source>
        <translation>Größe zwischen %s und %s</translation>
    </message>
    <message>
        <source>Size at least %s</source>
        <translation>Größe mindestens %s</translation>
    </message>
    <message>
        <source>%s on or before %s</source>
        <translation>%s am oder vor dem %s</translation>
    </message>
    <message>
        <source>%s between %s and %s</source>
        <translation>%s zwischen %s und %s</translation>
    </message>
    <message>
        <source>%s on or after %s</source>
        <translation>%s am oder nach dem %s</translation>
    </message>
    <message>
        <source>Protected: %s</source>
        <translation>Geschützt: %s</translation>
    </message>
    <message>
        <source>Tagged cache: %s</source>
        <translation>Als Cache markiert: %s</translation>
    </message>
    <message>
        <source>Trash: %s, deleted %s</source>
        <translation>Papierkorb: %s, gelöscht am %s</translation>
    </message>
    <message>
        <source>Trash: information without a file</source>
        <translation>Papierkorb: Angaben ohne Datei</translation>
    </message>
    <message>
        <source>Emptied folders removed: %s</source>
        <translation>Geleerte Ordner entfernt: %s</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Frees</source>
        <translation>Gibt frei</translation>
    </message>
    <message>
        <source>C&amp;heck</source>
        <translation>&amp;Markieren</translation>
    </message>
    <message>
        <source>&amp;Uncheck</source>
        <translation>&amp;Häkchen entfernen</translation>
    </message>
    <message>
        <source>Can&apos;t save the list to &quot;%s&quot;.
%s</source>
        <translation>Die Liste kann nicht unter „%s“ gespeichert werden.
%s</translation>
    </message>
    <message>
        <source>&amp;Undo Move</source>
        <translation>Verschieben &amp;rückgängig</translation>
    </message>
    <message>
        <source>Moving back ...</source>
        <translation>Zurückverschieben ...</translation>
    </message>
    <message>
        <source>   Some files couldn&apos;t be moved back. They were changed or replaced where they were moved to, or their old place is taken. They stay where they are.
   Press &apos;Details&apos; to see the a list of these files now.</source>
        <translation>   Einige Dateien konnten nicht zurückverschoben werden. Sie wurden am neuen Ort geändert oder ersetzt, oder ihr alter Platz ist belegt. Sie bleiben, wo sie sind.
   Mit „Details“ sehen Sie jetzt die Liste dieser Dateien.</translation>
    </message>
</context>
</TS>
