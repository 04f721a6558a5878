<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BlockWords</name>
    <message>
        <source>red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>%1 in flashing %2</source>
        <translation>%1 blinkend in %2</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>empty</source>
        <translation>leer</translation>
    </message>
    <message>
        <source>Line %1</source>
        <translation>Zeile %1</translation>
    </message>
    <message>
        <source>%1, centred: %2</source>
        <translation>%1, zentriert: %2</translation>
    </message>
    <message>
        <source>%1, not centred: %2</source>
        <translation>%1, nicht zentriert: %2</translation>
    </message>
</context>
<context>
    <name>CommSettings</name>
    <message>
        <source>%1: %2 is out of range; %3 is used instead (%4).</source>
        <translation>%1: %2 liegt außerhalb des gültigen Bereichs; stattdessen wird %3 verwendet (%4).</translation>
    </message>
    <message>
        <source>%1: %2 is out of range; %3 is used instead.</source>
        <translation>%1: %2 liegt außerhalb des gültigen Bereichs; stattdessen wird %3 verwendet.</translation>
    </message>
    <message>
        <source>no serial port is chosen: a send asks for one</source>
        <translation>keine serielle Schnittstelle gewählt: beim Senden wird nach einer gefragt</translation>
    </message>
</context>
<context>
    <name>ControlBytes</name>
    <message>
        <source>the start of a record</source>
        <translation>Beginn eines Datensatzes</translation>
    </message>
    <message>
        <source>the end of a record</source>
        <translation>Ende eines Datensatzes</translation>
    </message>
    <message>
        <source>a flash toggle</source>
        <translation>Blinken ein/aus</translation>
    </message>
    <message>
        <source>the colour red</source>
        <translation>Farbe Rot</translation>
    </message>
    <message>
        <source>the colour green</source>
        <translation>Farbe Grün</translation>
    </message>
    <message>
        <source>the colour yellow</source>
        <translation>Farbe Gelb</translation>
    </message>
    <message>
        <source>Block %1 holds the control byte %2 at column %3: the sign reads it as %4.</source>
        <translation>Block %1 enthält das Steuerbyte %2 in Spalte %3: die Anzeige liest es als %4.</translation>
    </message>
</context>
<context>
    <name>ErrorCodes</name>
    <message>
        <source>Unspecified serial port error</source>
        <translation>Nicht näher bezeichneter Fehler der seriellen Schnittstelle</translation>
    </message>
    <message>
        <source>Specified comport doesn&apos;t exist</source>
        <translation>Die angegebene serielle Schnittstelle gibt es nicht</translation>
    </message>
    <message>
        <source>Device not open</source>
        <translation>Gerät nicht geöffnet</translation>
    </message>
    <message>
        <source>Device already open</source>
        <translation>Gerät bereits geöffnet</translation>
    </message>
    <message>
        <source>The ComNumber property of the port has not been set</source>
        <translation>Die Nummer der Schnittstelle (ComNumber) ist nicht gesetzt</translation>
    </message>
    <message>
        <source>Output buffer too small for block</source>
        <translation>Ausgabepuffer zu klein für den Block</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>Invalid file handle</source>
        <translation>Ungültiges Datei-Handle</translation>
    </message>
    <message>
        <source>Invalid drive</source>
        <translation>Ungültiges Laufwerk</translation>
    </message>
    <message>
        <source>No more files</source>
        <translation>Keine weiteren Dateien</translation>
    </message>
    <message>
        <source>Attempt to read beyond end of file</source>
        <translation>Versuch, über das Dateiende hinaus zu lesen</translation>
    </message>
    <message>
        <source>Disk is full</source>
        <translation>Datenträger ist voll</translation>
    </message>
    <message>
        <source>File/device not assigned</source>
        <translation>Datei/Gerät nicht zugeordnet</translation>
    </message>
    <message>
        <source>File/device not open</source>
        <translation>Datei/Gerät nicht geöffnet</translation>
    </message>
    <message>
        <source>File/device not open for input</source>
        <translation>Datei/Gerät nicht zum Lesen geöffnet</translation>
    </message>
    <message>
        <source>File/device not open for output</source>
        <translation>Datei/Gerät nicht zum Schreiben geöffnet</translation>
    </message>
    <message>
        <source>Disk is write-protected</source>
        <translation>Datenträger ist schreibgeschützt</translation>
    </message>
    <message>
        <source>Unknown disk unit</source>
        <translation>Unbekannte Laufwerkseinheit</translation>
    </message>
    <message>
        <source>Drive is not ready</source>
        <translation>Laufwerk ist nicht bereit</translation>
    </message>
    <message>
        <source>Unknown command</source>
        <translation>Unbekannter Befehl</translation>
    </message>
    <message>
        <source>Data error</source>
        <translation>Datenfehler</translation>
    </message>
    <message>
        <source>Bad request structure length</source>
        <translation>Falsche Länge der Anforderungsstruktur</translation>
    </message>
    <message>
        <source>Seek error</source>
        <translation>Positionierungsfehler</translation>
    </message>
    <message>
        <source>Unknown media type</source>
        <translation>Unbekannter Datenträgertyp</translation>
    </message>
    <message>
        <source>Disk sector not found</source>
        <translation>Sektor nicht gefunden</translation>
    </message>
    <message>
        <source>Printer is out of paper</source>
        <translation>Drucker hat kein Papier</translation>
    </message>
    <message>
        <source>Device write error</source>
        <translation>Schreibfehler des Geräts</translation>
    </message>
    <message>
        <source>Device read error</source>
        <translation>Lesefehler des Geräts</translation>
    </message>
    <message>
        <source>General failure</source>
        <translation>Allgemeiner Fehler</translation>
    </message>
    <message>
        <source>Interrupted system call.</source>
        <translation>Systemaufruf unterbrochen.</translation>
    </message>
    <message>
        <source>Bad file number.</source>
        <translation>Ungültige Dateinummer.</translation>
    </message>
    <message>
        <source>Access denied.</source>
        <translation>Zugriff verweigert.</translation>
    </message>
    <message>
        <source>Bad address.</source>
        <translation>Ungültige Adresse.</translation>
    </message>
    <message>
        <source>Invalid argument.</source>
        <translation>Ungültiges Argument.</translation>
    </message>
    <message>
        <source>Too many open files.</source>
        <translation>Zu viele offene Dateien.</translation>
    </message>
    <message>
        <source>Operation would block. </source>
        <translation>Der Vorgang würde blockieren. </translation>
    </message>
    <message>
        <source>Operation now in progress.</source>
        <translation>Der Vorgang läuft.</translation>
    </message>
    <message>
        <source>Operation already in progress.</source>
        <translation>Der Vorgang läuft bereits.</translation>
    </message>
    <message>
        <source>Socket operation on non-socket.</source>
        <translation>Socket-Operation auf etwas, das kein Socket ist.</translation>
    </message>
    <message>
        <source>Destination address required.</source>
        <translation>Zieladresse erforderlich.</translation>
    </message>
    <message>
        <source>Message too long.</source>
        <translation>Nachricht zu lang.</translation>
    </message>
    <message>
        <source>Protocol wrong type for socket.</source>
        <translation>Protokoll passt nicht zum Socket-Typ.</translation>
    </message>
    <message>
        <source>Bad protocol option.</source>
        <translation>Ungültige Protokolloption.</translation>
    </message>
    <message>
        <source>Protocol not supported.</source>
        <translation>Protokoll nicht unterstützt.</translation>
    </message>
    <message>
        <source>Socket type not supported.</source>
        <translation>Socket-Typ nicht unterstützt.</translation>
    </message>
    <message>
        <source>Operation not supported on socket.</source>
        <translation>Vorgang auf diesem Socket nicht unterstützt.</translation>
    </message>
    <message>
        <source>Protocol family not supported.</source>
        <translation>Protokollfamilie nicht unterstützt.</translation>
    </message>
    <message>
        <source>Address family not supported by protocol family.</source>
        <translation>Adressfamilie von der Protokollfamilie nicht unterstützt.</translation>
    </message>
    <message>
        <source>Address already in use.</source>
        <translation>Adresse wird bereits verwendet.</translation>
    </message>
    <message>
        <source>Cannot assign requested address.</source>
        <translation>Die angeforderte Adresse kann nicht zugewiesen werden.</translation>
    </message>
    <message>
        <source>Network is down.</source>
        <translation>Das Netzwerk ist ausgefallen.</translation>
    </message>
    <message>
        <source>Network is unreachable.</source>
        <translation>Das Netzwerk ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>Net dropped connection or reset.</source>
        <translation>Das Netzwerk hat die Verbindung abgebrochen oder zurückgesetzt.</translation>
    </message>
    <message>
        <source>Software caused connection abort.</source>
        <translation>Verbindungsabbruch durch Software.</translation>
    </message>
    <message>
        <source>Connection reset by peer.</source>
        <translation>Verbindung von der Gegenseite zurückgesetzt.</translation>
    </message>
    <message>
        <source>No buffer space available.</source>
        <translation>Kein Pufferspeicher verfügbar.</translation>
    </message>
    <message>
        <source>Socket is already connected.</source>
        <translation>Der Socket ist bereits verbunden.</translation>
    </message>
    <message>
        <source>Socket is not connected.</source>
        <translation>Der Socket ist nicht verbunden.</translation>
    </message>
    <message>
        <source>Cannot send or receive after socket is closed.</source>
        <translation>Nach dem Schließen des Sockets kann nicht gesendet oder empfangen werden.</translation>
    </message>
    <message>
        <source>Too many references, cannot splice.</source>
        <translation>Zu viele Verweise, Verbinden nicht möglich.</translation>
    </message>
    <message>
        <source>Connection timed out.</source>
        <translation>Zeitüberschreitung der Verbindung.</translation>
    </message>
    <message>
        <source>Connection refused.</source>
        <translation>Verbindung abgelehnt.</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links.</source>
        <translation>Zu viele Ebenen symbolischer Verknüpfungen.</translation>
    </message>
    <message>
        <source>File name too long.</source>
        <translation>Dateiname zu lang.</translation>
    </message>
    <message>
        <source>Host is down.</source>
        <translation>Der Host ist nicht in Betrieb.</translation>
    </message>
    <message>
        <source>No route to host.</source>
        <translation>Keine Route zum Host.</translation>
    </message>
    <message>
        <source>Directory not empty</source>
        <translation>Verzeichnis nicht leer</translation>
    </message>
    <message>
        <source>Host not found.</source>
        <translation>Host nicht gefunden.</translation>
    </message>
    <message>
        <source>Socket Error # %1</source>
        <translation>Socket-Fehler Nr. %1</translation>
    </message>
    <message>
        <source>nobody subscribes to the topic</source>
        <translation>niemand hat das Topic abonniert</translation>
    </message>
    <message>
        <source>unspecified error</source>
        <translation>nicht näher bezeichneter Fehler</translation>
    </message>
    <message>
        <source>malformed packet</source>
        <translation>fehlerhaftes Paket</translation>
    </message>
    <message>
        <source>protocol error</source>
        <translation>Protokollfehler</translation>
    </message>
    <message>
        <source>refused by the broker&apos;s own rules</source>
        <translation>von den eigenen Regeln des Brokers abgelehnt</translation>
    </message>
    <message>
        <source>the broker does not speak MQTT 5</source>
        <translation>der Broker beherrscht MQTT 5 nicht</translation>
    </message>
    <message>
        <source>client identifier not valid</source>
        <translation>Client-Kennung ungültig</translation>
    </message>
    <message>
        <source>bad user name or password</source>
        <translation>falscher Benutzername oder falsches Passwort</translation>
    </message>
    <message>
        <source>not authorised</source>
        <translation>nicht berechtigt</translation>
    </message>
    <message>
        <source>server unavailable</source>
        <translation>Server nicht verfügbar</translation>
    </message>
    <message>
        <source>server busy</source>
        <translation>Server ausgelastet</translation>
    </message>
    <message>
        <source>banned</source>
        <translation>gesperrt</translation>
    </message>
    <message>
        <source>the broker is shutting down</source>
        <translation>der Broker wird beendet</translation>
    </message>
    <message>
        <source>bad authentication method</source>
        <translation>ungültiges Anmeldeverfahren</translation>
    </message>
    <message>
        <source>keep-alive time-out</source>
        <translation>Keep-alive-Zeit überschritten</translation>
    </message>
    <message>
        <source>another client connected with the same client identifier</source>
        <translation>ein anderer Client hat sich mit derselben Client-Kennung verbunden</translation>
    </message>
    <message>
        <source>topic filter not valid</source>
        <translation>Topic-Filter ungültig</translation>
    </message>
    <message>
        <source>topic name not valid</source>
        <translation>Topic-Name ungültig</translation>
    </message>
    <message>
        <source>message too large for the broker</source>
        <translation>Nachricht zu groß für den Broker</translation>
    </message>
    <message>
        <source>quota exceeded</source>
        <translation>Kontingent überschritten</translation>
    </message>
    <message>
        <source>disconnected by the broker&apos;s administrator</source>
        <translation>vom Administrator des Brokers getrennt</translation>
    </message>
    <message>
        <source>payload format not valid</source>
        <translation>Format der Nutzdaten ungültig</translation>
    </message>
    <message>
        <source>retained messages not supported</source>
        <translation>gespeicherte (retained) Nachrichten nicht unterstützt</translation>
    </message>
    <message>
        <source>QoS not supported</source>
        <translation>QoS nicht unterstützt</translation>
    </message>
    <message>
        <source>use another server</source>
        <translation>anderen Server verwenden</translation>
    </message>
    <message>
        <source>server moved</source>
        <translation>Server umgezogen</translation>
    </message>
    <message>
        <source>connection rate exceeded</source>
        <translation>Verbindungsrate überschritten</translation>
    </message>
    <message>
        <source>Already connected.</source>
        <translation>Bereits verbunden.</translation>
    </message>
    <message>
        <source>Connect timed out.</source>
        <translation>Zeitüberschreitung beim Verbinden.</translation>
    </message>
    <message>
        <source>Cannot allocate socket.</source>
        <translation>Socket kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Could not bind socket. Address and port are already in use.</source>
        <translation>Socket konnte nicht gebunden werden. Adresse und Port werden bereits verwendet.</translation>
    </message>
    <message>
        <source>Not Connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Connection Closed Gracefully.</source>
        <translation>Verbindung ordnungsgemäß geschlossen.</translation>
    </message>
    <message>
        <source>system error</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>the broker closed the connection</source>
        <translation>der Broker hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>reason code %1</source>
        <translation>Ursachencode %1</translation>
    </message>
    <message>
        <source>Cannot make a connection to the broker: out of memory.</source>
        <translation>Keine Verbindung zum Broker möglich: kein Speicher mehr frei.</translation>
    </message>
    <message>
        <source>Cannot use TLS with %1</source>
        <translation>TLS mit %1 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>the broker did not answer within %1 ms</source>
        <translation>der Broker hat nicht innerhalb von %1 ms geantwortet</translation>
    </message>
    <message>
        <source>Cannot publish to %1</source>
        <translation>Veröffentlichen in %1 nicht möglich</translation>
    </message>
    <message>
        <source>Cannot subscribe to %1</source>
        <translation>Abonnieren von %1 nicht möglich</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>In %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Invalid section name</source>
        <translation>Ungültiger Abschnittsname</translation>
    </message>
    <message>
        <source>Invalid key name</source>
        <translation>Ungültiger Schlüsselname</translation>
    </message>
    <message>
        <source>The value holds a line break</source>
        <translation>Der Wert enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <source>Cannot create the directory %1</source>
        <translation>Der Ordner %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Cannot read the remembered values from %1</source>
        <translation>Die gespeicherten Werte können nicht aus %1 gelesen werden</translation>
    </message>
    <message>
        <source>Cannot write the remembered values to %1</source>
        <translation>Die gespeicherten Werte können nicht in %1 geschrieben werden</translation>
    </message>
</context>
<context>
    <name>GatewaySend</name>
    <message>
        <source>Cannot reach the broker %1: %2.</source>
        <translation>Der Broker %1 ist nicht erreichbar: %2.</translation>
    </message>
    <message>
        <source>The broker refused the connection: %1.</source>
        <translation>Der Broker hat die Verbindung abgelehnt: %1.</translation>
    </message>
    <message>
        <source>The broker refused the user %1: %2.</source>
        <translation>Der Broker hat den Benutzer %1 abgelehnt: %2.</translation>
    </message>
    <message>
        <source>The broker refused the subscription to the gateway&apos;s results: %1.</source>
        <translation>Der Broker hat das Abonnement der Ergebnisse des Gateways abgelehnt: %1.</translation>
    </message>
    <message>
        <source>The gateway %1 is offline.</source>
        <translation>Das Gateway %1 ist offline.</translation>
    </message>
    <message>
        <source>The gateway %1 has never been online (nothing on %2).</source>
        <translation>Das Gateway %1 war noch nie online (nichts unter %2).</translation>
    </message>
    <message>
        <source>The gateway %1 does not serve the sign %2: nobody subscribes to %3.</source>
        <translation>Das Gateway %1 bedient die Anzeige %2 nicht: niemand hat %3 abonniert.</translation>
    </message>
    <message>
        <source>The broker refused the send to %1: %2.</source>
        <translation>Der Broker hat das Senden an %1 abgelehnt: %2.</translation>
    </message>
    <message>
        <source>The gateway %1 refused the send: %2.</source>
        <translation>Das Gateway %1 hat das Senden abgelehnt: %2.</translation>
    </message>
    <message>
        <source>The gateway answered &quot;%1&quot;.</source>
        <translation>Das Gateway hat „%1“ geantwortet.</translation>
    </message>
    <message>
        <source>The broker %1 did not answer within %2.</source>
        <translation>Der Broker %1 hat nicht innerhalb von %2 geantwortet.</translation>
    </message>
    <message>
        <source>The gateway did not confirm the stop.</source>
        <translation>Das Gateway hat den Abbruch nicht bestätigt.</translation>
    </message>
    <message>
        <source> (it went offline meanwhile)</source>
        <translation> (es ist inzwischen offline gegangen)</translation>
    </message>
    <message>
        <source>The gateway %1 did not take the send within %2 s%3.</source>
        <translation>Das Gateway %1 hat die Sendung nicht innerhalb von %2 s angenommen%3.</translation>
    </message>
    <message>
        <source>The gateway %1 began the send and did not report its end%2.</source>
        <translation>Das Gateway %1 hat mit dem Senden begonnen und dessen Ende nicht gemeldet%2.</translation>
    </message>
</context>
<context>
    <name>GatewaySettings</name>
    <message>
        <source>it is empty</source>
        <translation>er ist leer</translation>
    </message>
    <message>
        <source>it holds &apos;%1&apos;, which a topic level cannot</source>
        <translation>er enthält „%1“, was eine Topic-Ebene nicht kann</translation>
    </message>
    <message>
        <source>it holds a character other than printable ASCII</source>
        <translation>er enthält ein Zeichen außerhalb des druckbaren ASCII</translation>
    </message>
    <message>
        <source>it belongs to another user (uid %1)</source>
        <translation>sie gehört einem anderen Benutzer (UID %1)</translation>
    </message>
    <message>
        <source>users other than its owner may write it (mode %1)</source>
        <translation>andere Benutzer als ihr Eigentümer dürfen sie schreiben (Modus %1)</translation>
    </message>
    <message>
        <source>users other than its owner may replace it: its folder %1 is writable by others (mode %2)</source>
        <translation>andere Benutzer als ihr Eigentümer dürfen sie ersetzen: ihr Ordner %1 ist für andere beschreibbar (Modus %2)</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: the port is a whole number from 1 to 65535.</source>
        <translation>„%1“: der Port ist eine ganze Zahl von 1 bis 65535.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; names no broker host.</source>
        <translation>„%1“ nennt keinen Broker-Host.</translation>
    </message>
    <message>
        <source>%1 has no [Gateway] section with a Broker= (for example Broker=mqtt://localhost:1883).</source>
        <translation>%1 hat keinen Abschnitt [Gateway] mit einem Broker= (zum Beispiel Broker=mqtt://localhost:1883).</translation>
    </message>
    <message>
        <source>the name cannot be a topic level: %1</source>
        <translation>der Name kann keine Topic-Ebene sein: %1</translation>
    </message>
    <message>
        <source>the seconds are a whole number from 1 to 3600</source>
        <translation>die Sekunden sind eine ganze Zahl von 1 bis 3600</translation>
    </message>
    <message>
        <source>The password file %1 is not used: %2. Make it readable by its owner only (chmod 600).</source>
        <translation>Die Passwortdatei %1 wird nicht verwendet: %2. Machen Sie sie nur für ihren Eigentümer lesbar (chmod 600).</translation>
    </message>
    <message>
        <source>Cannot read the password file %1</source>
        <translation>Die Passwortdatei %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>users other than its owner may read it (mode %1)</source>
        <translation>andere Benutzer als ihr Eigentümer dürfen sie lesen (Modus %1)</translation>
    </message>
</context>
<context>
    <name>MultiSend</name>
    <message>
        <source>sent</source>
        <translation>gesendet</translation>
    </message>
    <message>
        <source>stopped before it began</source>
        <translation>abgebrochen, bevor es begann</translation>
    </message>
    <message>
        <source>stopped before the sign confirmed every byte</source>
        <translation>abgebrochen, bevor die Anzeige jedes Byte bestätigt hat</translation>
    </message>
    <message>
        <source>stopped after the sign acknowledged every byte</source>
        <translation>abgebrochen, nachdem die Anzeige jedes Byte bestätigt hat</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>not ended</source>
        <translation>nicht beendet</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Gateway %1</source>
        <translation>Gateway %1</translation>
    </message>
    <message>
        <source>No [Gateway] section names the broker of the gateway signs.</source>
        <translation>Kein Abschnitt [Gateway] nennt den Broker der Anzeigen hinter Gateways.</translation>
    </message>
</context>
<context>
    <name>QDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Print Setup</source>
        <translation>Druckereinrichtung</translation>
    </message>
</context>
<context>
    <name>SendErrors</name>
    <message>
        <source>%1 second</source>
        <translation>%1 Sekunde</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>%1 of %2 bytes handed to the link</source>
        <translation>%1 von %2 Bytes an die Verbindung übergeben</translation>
    </message>
    <message>
        <source>%1 of %2 bytes</source>
        <translation>%1 von %2 Bytes</translation>
    </message>
    <message>
        <source>%1 of %2 bytes were handed to the link</source>
        <translation>%1 von %2 Bytes wurden an die Verbindung übergeben</translation>
    </message>
    <message>
        <source>%1 of %2 bytes were sent</source>
        <translation>%1 von %2 Bytes wurden gesendet</translation>
    </message>
    <message>
        <source>ERROR Connecting to IP Address.</source>
        <translation>FEHLER beim Verbinden mit der IP-Adresse.</translation>
    </message>
    <message>
        <source>ERROR Opening Com Port, check correct configuration.</source>
        <translation>FEHLER beim Öffnen der seriellen Schnittstelle, bitte Konfiguration prüfen.</translation>
    </message>
    <message>
        <source>Tried %1: %2</source>
        <translation>Versucht mit %1: %2</translation>
    </message>
    <message>
        <source>The sign stopped taking data after %1.</source>
        <translation>Die Anzeige hat nach %1 keine Daten mehr angenommen.</translation>
    </message>
    <message>
        <source>%1: no byte was taken for %2.</source>
        <translation>%1: %2 lang wurde kein Byte angenommen.</translation>
    </message>
    <message>
        <source>The serial port did not send its data in time: check the cable and the baud rate.</source>
        <translation>Die serielle Schnittstelle hat ihre Daten nicht rechtzeitig gesendet: bitte Kabel und Baudrate prüfen.</translation>
    </message>
    <message>
        <source>Sending failed after %1.</source>
        <translation>Senden nach %1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>The sign closed the connection before taking the message.</source>
        <translation>Die Anzeige hat die Verbindung geschlossen, bevor sie die Meldung angenommen hat.</translation>
    </message>
    <message>
        <source>%1, after %2: %3</source>
        <translation>%1, nach %2: %3</translation>
    </message>
    <message>
        <source>Sending cancelled: %1.</source>
        <translation>Senden abgebrochen: %1.</translation>
    </message>
</context>
<context>
    <name>SignChoice</name>
    <message>
        <source>%1, line %2: %3</source>
        <translation>%1, Zeile %2: %3</translation>
    </message>
    <message>
        <source>%1 is not a sign section: a section header is its name in brackets, and a sign&apos;s name cannot hold &quot;]&quot;.</source>
        <translation>%1 ist kein Anzeige-Abschnitt: ein Abschnittskopf ist sein Name in eckigen Klammern, und der Name einer Anzeige darf kein „]“ enthalten.</translation>
    </message>
    <message>
        <source>%1 names no sign: write the sign&apos;s name after &quot;Sign&quot;.</source>
        <translation>%1 nennt keine Anzeige: bitte den Namen der Anzeige hinter „Sign“ schreiben.</translation>
    </message>
    <message>
        <source>%1 names the sign %2 again (first on line %3): one section for each sign, or its values are never used.</source>
        <translation>%1 nennt die Anzeige %2 ein zweites Mal (zuerst in Zeile %3): ein Abschnitt je Anzeige, sonst werden seine Werte nie verwendet.</translation>
    </message>
    <message>
        <source>%1: [%2] %3=%4: %5 is a whole number from %6 to %7.</source>
        <translation>%1: [%2] %3=%4: %5 ist eine ganze Zahl von %6 bis %7.</translation>
    </message>
    <message>
        <source>the start line</source>
        <translation>die Startzeile</translation>
    </message>
    <message>
        <source>the width</source>
        <translation>die Breite</translation>
    </message>
</context>
<context>
    <name>SignLink</name>
    <message>
        <source>IP address %1, port %2</source>
        <translation>IP-Adresse %1, Port %2</translation>
    </message>
    <message>
        <source>Serial device %1</source>
        <translation>Serielles Gerät %1</translation>
    </message>
    <message>
        <source>Com port %1</source>
        <translation>Serielle Schnittstelle %1</translation>
    </message>
    <message>
        <source>, from the default Port,</source>
        <translation>, aus dem Standard-Port,</translation>
    </message>
    <message>
        <source>%1 at the device&apos;s speed</source>
        <translation>%1 mit der Geschwindigkeit des Geräts</translation>
    </message>
    <message>
        <source>%1 at %2 baud</source>
        <translation>%1 mit %2 Baud</translation>
    </message>
</context>
<context>
    <name>SignPreview</name>
    <message>
        <source>%1 line</source>
        <translation>%1 Zeile</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Zeilen</translation>
    </message>
    <message>
        <source>%1 is wider than the sign (%2 characters): the sign will cut it.</source>
        <translation>%1 ist breiter als die Anzeige (%2 Zeichen): die Anzeige schneidet sie ab.</translation>
    </message>
    <message>
        <source>%1 are wider than the sign (%2 characters): the sign will cut them.</source>
        <translation>%1 sind breiter als die Anzeige (%2 Zeichen): die Anzeige schneidet sie ab.</translation>
    </message>
    <message>
        <source>%1 will not be shown (the sign has %2).</source>
        <translation>Nicht angezeigt: %1 (die Anzeige hat %2).</translation>
    </message>
    <message>
        <source>%1 will not be shown.</source>
        <translation>Nicht angezeigt: %1.</translation>
    </message>
    <message>
        <source>Goes to line %1, beyond the sign&apos;s last line (%2): the sign does not show it.</source>
        <translation>Geht an Zeile %1, hinter die letzte Zeile der Anzeige (%2): die Anzeige zeigt sie nicht.</translation>
    </message>
    <message>
        <source>Goes to line %1, which a later line of the message replaces: the sign does not show it.</source>
        <translation>Geht an Zeile %1, die eine spätere Zeile der Meldung ersetzt: die Anzeige zeigt sie nicht.</translation>
    </message>
    <message>
        <source>Its text holds bytes that break the sign&apos;s record: the sign does not show it.</source>
        <translation>Ihr Text enthält Bytes, die den Datensatz der Anzeige zerbrechen: die Anzeige zeigt sie nicht.</translation>
    </message>
    <message>
        <source>Holds the control byte %1 at column %2: the sign reads it as %3.</source>
        <translation>Enthält das Steuerbyte %1 in Spalte %2: die Anzeige liest es als %3.</translation>
    </message>
    <message>
        <source>%1 character wider than the sign (%2 of %3): the sign cuts it off.</source>
        <translation>%1 Zeichen breiter als die Anzeige (%2 von %3): die Anzeige schneidet es ab.</translation>
    </message>
    <message>
        <source>%1 characters wider than the sign (%2 of %3): the sign cuts them off.</source>
        <translation>%1 Zeichen breiter als die Anzeige (%2 von %3): die Anzeige schneidet sie ab.</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>Lumavane Static Message Editor</source>
        <translation>Lumavane Editor für statische Meldungen</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>TAskSend1</name>
    <message>
        <source>Select Address</source>
        <translation>Adresse wählen</translation>
    </message>
    <message>
        <source>Enter Line Address to start with (usually 1):</source>
        <translation>Zeilenadresse, bei der begonnen wird (meist 1):</translation>
    </message>
    <message>
        <source>Width in chars of each line (used for centering):</source>
        <translation>Breite jeder Zeile in Zeichen (zum Zentrieren):</translation>
    </message>
</context>
<context>
    <name>TBEDlg</name>
    <message>
        <source>Block Editor</source>
        <translation>Block-Editor</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Message will look like: (flashing characters are underlined)</source>
        <translation>So sieht die Meldung aus (Blinkendes ist unterstrichen):</translation>
    </message>
    <message>
        <source>Centered</source>
        <translation>Zentriert</translation>
    </message>
    <message>
        <source>Text:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>Toggle &amp;Flash</source>
        <translation>&amp;Blinken ein/aus</translation>
    </message>
    <message>
        <source>Set &amp;Red Color</source>
        <translation>Farbe &amp;Rot</translation>
    </message>
    <message>
        <source>Set &amp;Green Color</source>
        <translation>Farbe &amp;Grün</translation>
    </message>
    <message>
        <source>Set &amp;Yellow Color</source>
        <translation>Farbe Ge&amp;lb</translation>
    </message>
    <message>
        <source>%1 of %2 characters</source>
        <translation>%1 von %2 Zeichen</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The text is %1 characters long, and a block keeps at most %2.
OK shortens it to %2 characters: the last %3 are cut off.</source>
        <translation>Der Text ist %1 Zeichen lang, ein Block fasst höchstens %2.
OK kürzt ihn auf %2 Zeichen: die letzten %3 werden abgeschnitten.</translation>
    </message>
    <message>
        <source>Message will look like</source>
        <translation>So sieht die Meldung aus</translation>
    </message>
</context>
<context>
    <name>TBlockClipboard</name>
    <message>
        <source> and %1 more</source>
        <translation> und %1 weitere</translation>
    </message>
    <message>
        <source>The text cannot be pasted: a message cannot hold the character %1. Nothing was pasted.</source>
        <translation>Der Text kann nicht eingefügt werden: eine Meldung kann das Zeichen %1 nicht enthalten. Es wurde nichts eingefügt.</translation>
    </message>
    <message>
        <source>The text cannot be pasted: a message cannot hold the characters %1. Nothing was pasted.</source>
        <translation>Der Text kann nicht eingefügt werden: eine Meldung kann die Zeichen %1 nicht enthalten. Es wurde nichts eingefügt.</translation>
    </message>
</context>
<context>
    <name>TClipboard</name>
    <message>
        <source>Cannot open clipboard</source>
        <translation>Die Zwischenablage kann nicht geöffnet werden</translation>
    </message>
</context>
<context>
    <name>TComSetupDlg</name>
    <message>
        <source>Communications Setup</source>
        <translation>Verbindungseinstellungen</translation>
    </message>
    <message>
        <source>Comm Port:</source>
        <translation>Schnittstelle:</translation>
    </message>
    <message>
        <source>Port 1</source>
        <translation>Port 1</translation>
    </message>
    <message>
        <source>Port 2</source>
        <translation>Port 2</translation>
    </message>
    <message>
        <source>Port 3</source>
        <translation>Port 3</translation>
    </message>
    <message>
        <source>Port 4</source>
        <translation>Port 4</translation>
    </message>
    <message>
        <source>USE IP:</source>
        <translation>IP VERWENDEN:</translation>
    </message>
    <message>
        <source>Baud Rate:</source>
        <translation>Baudrate:</translation>
    </message>
    <message>
        <source>Sign Size:</source>
        <translation>Größe der Anzeige:</translation>
    </message>
    <message>
        <source>&amp;Lines:</source>
        <translation>Z&amp;eilen:</translation>
    </message>
    <message>
        <source>C&amp;haracters per line:</source>
        <translation>&amp;Zeichen pro Zeile:</translation>
    </message>
    <message>
        <source>0 = not known</source>
        <translation>0 = unbekannt</translation>
    </message>
    <message>
        <source>Sign&apos;s network address</source>
        <translation>Netzwerkadresse der Anzeige</translation>
    </message>
</context>
<context>
    <name>TControlBytesQuestion</name>
    <message>
        <source> 1 more block holds one too.</source>
        <translation> 1 weiterer Block enthält ebenfalls eines.</translation>
    </message>
    <message>
        <source> %1 more blocks hold one too.</source>
        <translation> %1 weitere Blöcke enthalten ebenfalls eines.</translation>
    </message>
    <message>
        <source> Send anyway?</source>
        <translation> Trotzdem senden?</translation>
    </message>
</context>
<context>
    <name>TDocumentState</name>
    <message>
        <source>Lumavane Message Editor V1.0 -- %1</source>
        <translation>Lumavane Meldungseditor V1.0 -- %1</translation>
    </message>
    <message>
        <source>[new file]</source>
        <translation>[neue Datei]</translation>
    </message>
</context>
<context>
    <name>TFileCommands</name>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Do you wish to save %1?</source>
        <translation>Möchten Sie %1 speichern?</translation>
    </message>
    <message>
        <source>%1 holds a NUL byte at offset %2: the text after it was not read.
Saving over the file replaces all of it with the lines shown, and that text is lost.</source>
        <translation>%1 enthält an Position %2 ein NUL-Byte: der Text dahinter wurde nicht gelesen.
Speichern über die Datei ersetzt sie ganz durch die angezeigten Zeilen, und dieser Text geht verloren.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>%1 holds a NUL byte at offset %2: the text after it is not shown.</source>
        <translation>%1 enthält an Position %2 ein NUL-Byte: der Text dahinter wird nicht angezeigt.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Lumavane Static Message Editor V1.0</source>
        <translation>Lumavane Editor für statische Meldungen V1.0</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>Print S&amp;etup...</source>
        <translation>Druck&amp;einrichtung...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Edit Selection...</source>
        <translation>Auswahl &amp;bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Delete Selection</source>
        <translation>Auswahl &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Insert New...</source>
        <translation>&amp;Neu einfügen...</translation>
    </message>
    <message>
        <source>&amp;Add New...</source>
        <translation>Neu &amp;anhängen...</translation>
    </message>
    <message>
        <source>&amp;Send</source>
        <translation>&amp;Senden</translation>
    </message>
    <message>
        <source>&amp;Configuration</source>
        <translation>&amp;Konfiguration</translation>
    </message>
    <message>
        <source>&amp;Send Message</source>
        <translation>Meldung &amp;senden</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Aus&amp;schneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Move Block</source>
        <translation>Block &amp;verschieben</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move Do&amp;wn</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>&amp;Wiederherstellen: %1</translation>
    </message>
    <message>
        <source>Message lines</source>
        <translation>Zeilen der Meldung</translation>
    </message>
</context>
<context>
    <name>TListCommands</name>
    <message>
        <source>Move Block</source>
        <translation>Block verschieben</translation>
    </message>
    <message>
        <source>Edit Selection</source>
        <translation>Auswahl bearbeiten</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Are you sure you wish to delete the selection?</source>
        <translation>Möchten Sie die Auswahl wirklich löschen?</translation>
    </message>
    <message>
        <source>Delete Selection</source>
        <translation>Auswahl löschen</translation>
    </message>
    <message>
        <source>Insert New</source>
        <translation>Neu einfügen</translation>
    </message>
    <message>
        <source>Add New</source>
        <translation>Neu anhängen</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
</context>
<context>
    <name>TMessageFileDialog</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>%1
Path not found.
Please verify the correct path was given.</source>
        <translation>%1
Pfad nicht gefunden.
Bitte prüfen Sie, ob der Pfad richtig angegeben wurde.</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
Datei nicht gefunden.
Bitte prüfen Sie, ob der Dateiname richtig angegeben wurde.</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 ist bereits vorhanden.
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>%1
This file does not exist.
Do you want to create it?</source>
        <translation>%1
Diese Datei ist nicht vorhanden.
Möchten Sie sie erstellen?</translation>
    </message>
    <message>
        <source>Lumavane Static Message Files (*.lsm)</source>
        <translation>Lumavane-Meldungsdateien (*.lsm)</translation>
    </message>
</context>
<context>
    <name>TMessageListModel</name>
    <message>
        <source>Unable to insert a line</source>
        <translation>Eine Zeile kann nicht eingefügt werden</translation>
    </message>
</context>
<context>
    <name>TMessageRow</name>
    <message>
        <source>Line %1-</source>
        <translation>Zeile %1-</translation>
    </message>
</context>
<context>
    <name>TOpenFileWatch</name>
    <message>
        <source>%1 was deleted; Save will write it again.</source>
        <translation>%1 wurde gelöscht; Speichern schreibt die Datei neu.</translation>
    </message>
    <message>
        <source>%1 was changed on disk by another program.
Reload it and put your changes aside (Undo brings them back), or keep yours and write them over it with the next Save?</source>
        <translation>%1 wurde von einem anderen Programm auf dem Datenträger geändert.
Neu laden und Ihre Änderungen beiseitelegen (Rückgängig holt sie zurück), oder Ihre behalten und beim nächsten Speichern darüberschreiben?</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>&amp;Neu laden</translation>
    </message>
    <message>
        <source>&amp;Keep Mine</source>
        <translation>&amp;Meine behalten</translation>
    </message>
    <message>
        <source>%1 was changed on disk since it was opened or saved.
Saving now writes over those changes.</source>
        <translation>%1 wurde seit dem Öffnen oder Speichern auf dem Datenträger geändert.
Jetzt zu speichern überschreibt diese Änderungen.</translation>
    </message>
    <message>
        <source>&amp;Overwrite</source>
        <translation>&amp;Überschreiben</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
</context>
<context>
    <name>TPortSelectDlg</name>
    <message>
        <source>Select Port</source>
        <translation>Schnittstelle wählen</translation>
    </message>
    <message>
        <source>The configured serial port is not valid.</source>
        <translation>Die eingestellte serielle Schnittstelle ist ungültig.</translation>
    </message>
    <message>
        <source>Please choose another port.</source>
        <translation>Bitte wählen Sie eine andere.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>(no serial port found)</source>
        <translation>(keine serielle Schnittstelle gefunden)</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>Serielle Schnittstelle</translation>
    </message>
</context>
<context>
    <name>TPrinting</name>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source>the default printer</source>
        <translation>dem Standarddrucker</translation>
    </message>
    <message>
        <source>Cannot start printing on %1</source>
        <translation>Drucken auf %1 kann nicht beginnen</translation>
    </message>
    <message>
        <source>Cannot start a new page on %1</source>
        <translation>Neue Seite auf %1 kann nicht begonnen werden</translation>
    </message>
    <message>
        <source>Cannot finish printing on %1</source>
        <translation>Drucken auf %1 kann nicht abgeschlossen werden</translation>
    </message>
</context>
<context>
    <name>TRecentFilesMenu</name>
    <message>
        <source>Recent &amp;Files</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>The list of recent files could not be kept.</source>
        <translation>Die Liste der zuletzt geöffneten Dateien konnte nicht gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>TRecoveryKeeper</name>
    <message>
        <source>Unsaved changes cannot be kept for recovery after a crash.</source>
        <translation>Ungespeicherte Änderungen können nicht für eine Wiederherstellung nach einem Absturz aufbewahrt werden.</translation>
    </message>
    <message>
        <source>Unsaved changes to %1 from %2 were found.</source>
        <translation>Ungespeicherte Änderungen an %1 vom %2 wurden gefunden.</translation>
    </message>
    <message>
        <source>&amp;Recover</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;Später</translation>
    </message>
</context>
<context>
    <name>TSendCommand</name>
    <message>
        <source>A message is being sent to the sign.
Cancel the send and close the editor?</source>
        <translation>Eine Meldung wird an die Anzeige gesendet.
Senden abbrechen und den Editor schließen?</translation>
    </message>
</context>
<context>
    <name>TSendData1</name>
    <message>
        <source>Sending Data</source>
        <translation>Daten senden</translation>
    </message>
    <message>
        <source>Now Sending Data...</source>
        <translation>Daten werden gesendet...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 of %2 bytes</source>
        <translation>%1 von %2 Bytes</translation>
    </message>
</context>
<context>
    <name>TSendResults</name>
    <message>
        <source>Send To</source>
        <translation>Senden an</translation>
    </message>
    <message>
        <source>Sign</source>
        <translation>Anzeige</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>sendet</translation>
    </message>
    <message>
        <source>Sent to %1 of %2 signs.</source>
        <translation>An %1 von %2 Anzeigen gesendet.</translation>
    </message>
    <message>
        <source>Stopping... %1 of %2 signs ended.</source>
        <translation>Wird abgebrochen... %1 von %2 Anzeigen beendet.</translation>
    </message>
    <message>
        <source>Sending... %1 of %2 signs ended.</source>
        <translation>Wird gesendet... %1 von %2 Anzeigen beendet.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
</context>
<context>
    <name>TSendToCommand</name>
    <message>
        <source>Send &amp;To</source>
        <translation>Senden &amp;an</translation>
    </message>
    <message>
        <source>&amp;All Signs</source>
        <translation>&amp;Alle Anzeigen</translation>
    </message>
    <message>
        <source>(no [Sign NAME] in the settings file)</source>
        <translation>(kein [Sign NAME] in der Einstellungsdatei)</translation>
    </message>
</context>
<context>
    <name>TSignPreviewDock</name>
    <message>
        <source>Sign Preview</source>
        <translation>Anzeigevorschau</translation>
    </message>
    <message>
        <source>Show Fiel&amp;d Values</source>
        <translation>Feld&amp;werte zeigen</translation>
    </message>
    <message>
        <source>Show {time:...}, {date:...} and {file:...} with their values now, as a schedule or lumavane-send --fields sends them</source>
        <translation>{time:...}, {date:...} und {file:...} mit ihren jetzigen Werten zeigen, so wie ein Zeitplan oder lumavane-send --fields sie sendet</translation>
    </message>
    <message>
        <source>Start line %1, width %2</source>
        <translation>Startzeile %1, Breite %2</translation>
    </message>
    <message>
        <source>  |  Sign: %1 of %2</source>
        <translation>  |  Anzeige: %1 zu %2</translation>
    </message>
    <message>
        <source>  |  Sign size not set (Send &gt; Configuration)</source>
        <translation>  |  Größe der Anzeige nicht eingestellt (Senden &gt; Konfiguration)</translation>
    </message>
    <message>
        <source>line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>character</source>
        <translation>Zeichen</translation>
    </message>
    <message>
        <source>characters</source>
        <translation>Zeichen</translation>
    </message>
    <message>
        <source>line cut</source>
        <translation>Zeile abgeschnitten</translation>
    </message>
    <message>
        <source>lines cut</source>
        <translation>Zeilen abgeschnitten</translation>
    </message>
    <message>
        <source>line not shown</source>
        <translation>Zeile nicht angezeigt</translation>
    </message>
    <message>
        <source>lines not shown</source>
        <translation>Zeilen nicht angezeigt</translation>
    </message>
    <message>
        <source>line with a control byte</source>
        <translation>Zeile mit Steuerbyte</translation>
    </message>
    <message>
        <source>lines with a control byte</source>
        <translation>Zeilen mit Steuerbyte</translation>
    </message>
    <message>
        <source>byte run the sign cannot read</source>
        <translation>Bytefolge, die die Anzeige nicht lesen kann</translation>
    </message>
    <message>
        <source>byte runs the sign cannot read</source>
        <translation>Bytefolgen, die die Anzeige nicht lesen kann</translation>
    </message>
    <message>
        <source>Under the mouse: %1, flashing</source>
        <translation>Unter der Maus: %1, blinkend</translation>
    </message>
    <message>
        <source>Under the mouse: %1</source>
        <translation>Unter der Maus: %1</translation>
    </message>
</context>
<context>
    <name>TSignPreviewPanel</name>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Sign &amp;Preview</source>
        <translation>Anzeige&amp;vorschau</translation>
    </message>
    <message>
        <source>Live fields filled in</source>
        <translation>Live-Felder ausgefüllt</translation>
    </message>
    <message>
        <source>Colour &amp;Letters</source>
        <translation>&amp;Farbbuchstaben</translation>
    </message>
    <message>
        <source>cut after %1 characters</source>
        <translation>nach %1 Zeichen abgeschnitten</translation>
    </message>
    <message>
        <source>fits the sign</source>
        <translation>passt auf die Anzeige</translation>
    </message>
    <message>
        <source>not shown: line %1 is beyond the sign&apos;s last line</source>
        <translation>nicht angezeigt: Zeile %1 liegt hinter der letzten Zeile der Anzeige</translation>
    </message>
    <message>
        <source>not shown: a later line of the message takes line %1</source>
        <translation>nicht angezeigt: eine spätere Zeile der Meldung belegt Zeile %1</translation>
    </message>
    <message>
        <source>not shown: its text breaks the sign&apos;s record</source>
        <translation>nicht angezeigt: ihr Text zerbricht den Datensatz der Anzeige</translation>
    </message>
    <message>
        <source>holds the control byte %1 at column %2</source>
        <translation>enthält das Steuerbyte %1 in Spalte %2</translation>
    </message>
</context>
</TS>
