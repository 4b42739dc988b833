<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL">
<context>
    <name>BackupActions</name>
    <message>
        <location filename="../src/contacts/BackupActions.cpp" line="+77"/>
        <location line="+3"/>
        <source>The database could not be backed up: %1</source>
        <translation>Er kon geen reservekopie van de database worden gemaakt: %1</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>Database backed up to %1</source>
        <translation>Reservekopie van de database gemaakt in %1</translation>
    </message>
    <message>
        <location line="-18"/>
        <location line="+20"/>
        <source>Back up now</source>
        <translation>Nu een reservekopie maken</translation>
    </message>
    <message>
        <location line="-19"/>
        <source>The phonebook and the call history are kept on the station database server: back them up there.</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis staan op de databaseserver van de omroep: maak daar een reservekopie.</translation>
    </message>
    <message>
        <location line="+30"/>
        <location line="+4"/>
        <location line="+5"/>
        <location line="+9"/>
        <location line="+3"/>
        <location line="+9"/>
        <source>Restore from backup</source>
        <translation>Terugzetten uit een reservekopie</translation>
    </message>
    <message>
        <location line="-30"/>
        <source>A call is in progress: restore after it has ended.</source>
        <translation>Er loopt een gesprek: zet terug nadat het is beëindigd.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The phonebook and the call history are kept on the station database server: restore them there.</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis staan op de databaseserver van de omroep: zet ze daar terug.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Database copies (parlona-*.db)</source>
        <translation>Databasekopieën (parlona-*.db)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>This copy cannot be restored: %1</source>
        <translation>Deze kopie kan niet worden teruggezet: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Replace the phonebook and the call history with the copy %1?</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis vervangen door de kopie %1?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The data in use now is kept beside it, not deleted.</source>
        <translation>De gegevens die nu in gebruik zijn, blijven ernaast bewaard en worden niet verwijderd.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The copy was not restored: %1</source>
        <translation>De kopie is niet teruggezet: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Phonebook and call history restored from %1; the data used before is kept as %2</source>
        <translation>Telefoonboek en gespreksgeschiedenis teruggezet uit %1; de eerdere gegevens zijn bewaard als %2</translation>
    </message>
</context>
<context>
    <name>CCallHistoryForm</name>
    <message>
        <location filename="../src/contacts/CCallHistoryForm.ui" line="+23"/>
        <source>Missed only</source>
        <translation>Alleen gemist</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The calls of one studio, or of all that share the station&apos;s history</source>
        <translation>De gesprekken van één studio, of van alle studio&apos;s die de geschiedenis van de omroep delen</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Export...</source>
        <translation>Exporteren...</translation>
    </message>
    <message>
        <location line="+7"/>
        <location filename="../src/contacts/CCallHistoryForm.cpp" line="+250"/>
        <source>Clear</source>
        <translation>Wissen</translation>
    </message>
    <message>
        <location filename="../src/contacts/CCallHistoryForm.cpp" line="-191"/>
        <source>All studios</source>
        <translation>Alle studio&apos;s</translation>
    </message>
    <message>
        <location line="+93"/>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>declined, called back</source>
        <translation>geweigerd, teruggebeld</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>declined</source>
        <translation>geweigerd</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>called back</source>
        <translation>teruggebeld</translation>
    </message>
    <message>
        <location line="+75"/>
        <source>Clear the one call from the history?</source>
        <translation>De ene oproep uit de geschiedenis wissen?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Clear all %1 calls from the history?</source>
        <translation>Alle %1 oproepen uit de geschiedenis wissen?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Clear the one call of %1 from the history?</source>
        <translation>Het ene gesprek van %1 uit de geschiedenis wissen?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Clear all %1 calls of %2 from the history?</source>
        <translation>Alle %1 gesprekken van %2 uit de geschiedenis wissen?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The calls cannot be brought back.</source>
        <translation>De oproepen zijn daarna niet terug te halen.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The call history was not cleared</source>
        <translation>De gespreksgeschiedenis is niet gewist</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+16"/>
        <location line="+5"/>
        <source>Export Call History</source>
        <translation>Gespreksgeschiedenis exporteren</translation>
    </message>
    <message>
        <location line="-19"/>
        <source>CSV files (*.csv)</source>
        <translation>CSV-bestanden (*.csv)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>All files (*)</source>
        <translation>Alle bestanden (*)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>call-history-%1.csv</source>
        <translation>gespreksgeschiedenis-%1.csv</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>The call history was not exported to %1.

%2</source>
        <translation>De gespreksgeschiedenis is niet geëxporteerd naar %1.

%2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The call history was exported to %1.

Calls: %2</source>
        <translation>De gespreksgeschiedenis is geëxporteerd naar %1.

Gesprekken: %2</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Add Contact</source>
        <translation>Contact toevoegen</translation>
    </message>
</context>
<context>
    <name>CCallRegistration</name>
    <message>
        <location filename="../src/contacts/CCallRegistration.cpp" line="+36"/>
        <source>The database takes writes again: the calls held back are recorded</source>
        <translation>De database neemt weer gegevens aan: de opgehouden oproepen zijn vastgelegd</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+12"/>
        <source>The call with %1 was going on when the program stopped; it is in the call history with the %2 s talked until then</source>
        <translation>Het gesprek met %1 liep nog toen het programma stopte; het staat in de gespreksgeschiedenis met de %2 s gesprekstijd tot dan</translation>
    </message>
    <message>
        <location line="+190"/>
        <source>The program stops during the call with %1: it is recorded up to now</source>
        <translation>Het programma stopt tijdens het gesprek met %1: het is tot nu toe vastgelegd</translation>
    </message>
    <message>
        <location line="+22"/>
        <location line="+18"/>
        <source>The call with %1 at %2 could not be recorded</source>
        <translation>Het gesprek met %1 om %2 kon niet worden vastgelegd</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1 answered our call</source>
        <translation>%1 heeft ons gesprek aangenomen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Answered call with %1</source>
        <translation>Gesprek met %1 aangenomen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Call with %1 ended after %2, by the caller</source>
        <translation>Gesprek met %1 beëindigd na %2, door de beller</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call with %1 ended after %2, by us</source>
        <translation>Gesprek met %1 beëindigd na %2, door ons</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call with %1 ended after %2, line lost</source>
        <translation>Gesprek met %1 beëindigd na %2, lijn verloren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call with %1 ended after %2, while the GSM module was not answering</source>
        <translation>Gesprek met %1 beëindigd na %2, terwijl de GSM-module niet antwoordde</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Missed call from %1</source>
        <translation>Gemiste oproep van %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Declined call from %1</source>
        <translation>Oproep van %1 geweigerd</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call from %1 lost with the line</source>
        <translation>Oproep van %1 verloren met de lijn</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call from %1 lost while the GSM module was not answering</source>
        <translation>Oproep van %1 verloren terwijl de GSM-module niet antwoordde</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Call to %1 not answered</source>
        <translation>Oproep naar %1 niet beantwoord</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call to %1 cancelled</source>
        <translation>Oproep naar %1 afgebroken</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call to %1 lost with the line</source>
        <translation>Oproep naar %1 verloren met de lijn</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call to %1 lost while the GSM module was not answering</source>
        <translation>Oproep naar %1 verloren terwijl de GSM-module niet antwoordde</translation>
    </message>
</context>
<context>
    <name>CDatabase</name>
    <message>
        <location filename="../src/contacts/CDatabase.cpp" line="+49"/>
        <source>Cannot open the database %1 (%2): contacts and calls are not saved</source>
        <translation>Kan de database %1 niet openen (%2): contacten en gesprekken worden niet opgeslagen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The database %1 cannot be written (%2): contacts and calls are not saved</source>
        <translation>In de database %1 kan niet geschreven worden (%2): contacten en gesprekken worden niet bewaard</translation>
    </message>
    <message>
        <location line="+93"/>
        <source>The station database %1 can be reached again</source>
        <translation>De database van de omroep %1 is weer bereikbaar</translation>
    </message>
    <message>
        <location line="+54"/>
        <source>Cannot reach the station database %1 (%2): contacts and calls are not saved</source>
        <translation>De database van de omroep %1 is niet bereikbaar (%2): contacten en gesprekken worden niet opgeslagen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The station database %1 cannot be written (%2): contacts and calls are not saved</source>
        <translation>Er kan niet naar de database van de omroep %1 geschreven worden (%2): contacten en gesprekken worden niet opgeslagen</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>the station database is kept on its server, and backed up there</source>
        <translation>de database van de omroep staat op haar server en wordt daar geback-upt</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>the copy could not take the place of %1</source>
        <translation>de kopie kon niet de plaats innemen van %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The database %1 cannot be used after the restore (%2)</source>
        <translation>De database %1 is na het terugzetten niet te gebruiken (%2)</translation>
    </message>
    <message>
        <location line="+98"/>
        <source>damaged (%1), and it cannot be moved aside</source>
        <translation>beschadigd (%1), en kan niet opzij gezet worden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The database %1 was damaged (%2): it is kept as %3, and a new one is used</source>
        <translation>De database %1 was beschadigd (%2): hij is bewaard als %3, en er wordt een nieuwe gebruikt</translation>
    </message>
    <message>
        <location line="+49"/>
        <location line="+34"/>
        <source>The station database %1 cannot be reached (%2): calls are recorded once it is back</source>
        <translation>De database van de omroep %1 is niet bereikbaar (%2): gesprekken worden vastgelegd zodra ze terug is</translation>
    </message>
    <message>
        <location line="-33"/>
        <source>the connection was closed</source>
        <translation>de verbinding is verbroken</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>The database did not take a statement: %1</source>
        <translation>De database nam een opdracht niet aan: %1</translation>
    </message>
</context>
<context>
    <name>CEQForm</name>
    <message>
        <location filename="../src/audio/CEQForm.ui" line="+14"/>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>LOW SHELF</source>
        <translation>LAAG SHELF</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+142"/>
        <location line="+166"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>FREQ</source>
        <translation>FREQ</translation>
    </message>
    <message>
        <location line="-629"/>
        <source>80 Hz</source>
        <translation>80 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>105 Hz</source>
        <translation>105 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>135 Hz</source>
        <translation>135 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>175 Hz</source>
        <translation>175 Hz</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+142"/>
        <location line="+166"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>GAIN</source>
        <translation>VERST.</translation>
    </message>
    <message>
        <location line="-616"/>
        <location line="+142"/>
        <location line="+166"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>Type a gain from -12 to +12 dB and press Enter</source>
        <translation>Typ een versterking van -12 tot +12 dB en druk op Enter</translation>
    </message>
    <message>
        <location line="-577"/>
        <source>LOW MID</source>
        <translation>LAAG-MID</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>230 Hz</source>
        <translation>230 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>300 Hz</source>
        <translation>300 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>385 Hz</source>
        <translation>385 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>500 Hz</source>
        <translation>500 Hz</translation>
    </message>
    <message>
        <location line="+73"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>TYPE</source>
        <translation>TYPE</translation>
    </message>
    <message>
        <location line="-321"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>Narrow</source>
        <translation>Smal</translation>
    </message>
    <message>
        <location line="-327"/>
        <location line="+166"/>
        <location line="+166"/>
        <source>Wide</source>
        <translation>Breed</translation>
    </message>
    <message>
        <location line="-302"/>
        <source>MID</source>
        <translation>MID</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>650 Hz</source>
        <translation>650 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>850 Hz</source>
        <translation>850 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>1.1 kHz</source>
        <translation>1,1 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>1.4 kHz</source>
        <translation>1,4 kHz</translation>
    </message>
    <message>
        <location line="+151"/>
        <source>1.8 kHz</source>
        <translation>1,8 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>2.4 kHz</source>
        <translation>2,4 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>3.2 kHz</source>
        <translation>3,2 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>4.1 kHz</source>
        <translation>4,1 kHz</translation>
    </message>
    <message>
        <location line="+151"/>
        <source>5.3 kHz</source>
        <translation>5,3 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>6.9 kHz</source>
        <translation>6,9 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>9.0 kHz</source>
        <translation>9,0 kHz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>11.7 kHz</source>
        <translation>11,7 kHz</translation>
    </message>
    <message>
        <location line="-213"/>
        <source>HIGH MID</source>
        <translation>HOOG-MID</translation>
    </message>
    <message>
        <location line="+166"/>
        <source>HIGH SHELF</source>
        <translation>HOOG SHELF</translation>
    </message>
</context>
<context>
    <name>CIncomingForm</name>
    <message>
        <location filename="../src/gsm/CIncomingForm.ui" line="+125"/>
        <source> Accept</source>
        <translation> Aannemen</translation>
    </message>
    <message>
        <location line="+37"/>
        <source> Decline</source>
        <translation> Weigeren</translation>
    </message>
    <message>
        <location filename="../src/gsm/CIncomingForm.cpp" line="+67"/>
        <source>Calling...</source>
        <translation>Bellen...</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Incoming call...</source>
        <translation>Inkomend gesprek...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Decline</source>
        <translation>Weigeren</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>No notes from the producer yet</source>
        <translation>Nog geen notities van de producer</translation>
    </message>
    <message>
        <location line="+86"/>
        <source>%1 - unit %2</source>
        <translation>%1 - eenheid %2</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>Answer the call (Enter)</source>
        <translation>Gesprek aannemen (Enter)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Answer the call (%1 or Enter)</source>
        <translation>Gesprek aannemen (%1 of Enter)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Decline or hang up (Esc)</source>
        <translation>Weigeren of ophangen (Esc)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Decline or hang up (%1 or Esc)</source>
        <translation>Weigeren of ophangen (%1 of Esc)</translation>
    </message>
</context>
<context>
    <name>CNau8810</name>
    <message>
        <location filename="../src/audio/CNau8810.cpp" line="+96"/>
        <source>Request registers NAU8810: Start</source>
        <translation>Registers NAU8810 opvragen: start</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Request registers NAU8810: Done</source>
        <translation>Registers NAU8810 opvragen: klaar</translation>
    </message>
</context>
<context>
    <name>COutCallForm</name>
    <message>
        <location filename="../src/gsm/COutCallForm.cpp" line="+169"/>
        <source>Tone sent: %1</source>
        <translation>Toon verzonden: %1</translation>
    </message>
</context>
<context>
    <name>CRssiMeter</name>
    <message>
        <location filename="../src/instruments/CRssiMeter.cpp" line="+22"/>
        <source>%1 dBm</source>
        <translation>%1 dBm</translation>
    </message>
</context>
<context>
    <name>CSMSForm</name>
    <message>
        <location filename="../src/diagnostics/CSMSForm.ui" line="+20"/>
        <source>To:</source>
        <translation>Aan:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>number to send the test message to</source>
        <translation>nummer waar het testbericht naartoe gaat</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>SendSMS</source>
        <translation>SMS versturen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>New</source>
        <translation>Nieuw</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Inbox</source>
        <translation>Inbox</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Outbox</source>
        <translation>Outbox</translation>
    </message>
    <message>
        <location filename="../src/diagnostics/CSMSForm.cpp" line="+69"/>
        <source>Test message not sent: no Parlona connected</source>
        <translation>Testbericht niet verstuurd: geen Parlona verbonden</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Test message not sent: enter the number to send it to</source>
        <translation>Testbericht niet verstuurd: vul het nummer in waar het naartoe moet</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Test message not sent: the last one still waits for the module</source>
        <translation>Testbericht niet verstuurd: het vorige wacht nog op de module</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Test message not sent: the GSM module did not ask for the text within %1 s</source>
        <translation>Testbericht niet verstuurd: de GSM-module vroeg niet binnen %1 s om de tekst</translation>
    </message>
</context>
<context>
    <name>CSaveForm</name>
    <message>
        <location filename="../src/link/CSaveForm.ui" line="+26"/>
        <source>Save</source>
        <translation>Opslaan</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>Save settings, please wait...</source>
        <translation>Instellingen opslaan, even geduld...</translation>
    </message>
</context>
<context>
    <name>CSettingsForm</name>
    <message>
        <location filename="../src/audio/CSettingsForm.ui" line="+24"/>
        <source>Audio Levels</source>
        <translation>Audioniveaus</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>SEND (to caller)</source>
        <translation>ZENDEN (naar beller)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Gain[dB]:</source>
        <translation>Versterking [dB]:</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>RECEIVE (from caller)</source>
        <translation>ONTVANGEN (van beller)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Level[%]:</source>
        <translation>Niveau [%]:</translation>
    </message>
    <message>
        <location line="+56"/>
        <source>Dial Numbers</source>
        <translation>Snelkiesnummers</translation>
    </message>
    <message>
        <location line="+95"/>
        <source>Home country:</source>
        <translation>Thuisland:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The country whose national numbers callers and the phonebook write, so that they match the same number written with its country code</source>
        <translation>Het land waarvan bellers en het telefoonboek de nationale nummers schrijven, zodat die hetzelfde nummer met landcode vinden</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Auto Answer</source>
        <translation>Automatisch aannemen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Enable</source>
        <translation>Inschakelen</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Calls</source>
        <translation>Gesprekken</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>RING TONE (while a call comes in)</source>
        <translation>BELTOON (als er een oproep binnenkomt)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Ring on this computer</source>
        <translation>Op deze computer laten overgaan</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Output:</source>
        <translation>Uitgang:</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Volume[%]:</source>
        <translation>Volume[%]:</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>CALL KEYS (in every window)</source>
        <translation>GESPREKSTOETSEN (in elk venster)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Answer:</source>
        <translation>Aannemen:</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Hang up:</source>
        <translation>Ophangen:</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Click a field and press a key. Letters, digits, Space, Enter, Tab, Backspace, Delete and Escape need Ctrl or Alt: alone they are kept for the dial pad, the number fields and the dialogs.</source>
        <translation>Klik op een veld en druk op een toets. Letters, cijfers, spatie, Enter, Tab, Backspace, Delete en Escape hebben Ctrl of Alt nodig: alleen zijn ze voor het kiesvenster, de nummervelden en de dialogen.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>SESSION</source>
        <translation>SESSIE</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Starts the program in the tray when you log in to this computer.</source>
        <translation>Start het programma in het systeemvak wanneer u zich op deze computer aanmeldt.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Start with the desktop session</source>
        <translation>Starten met de bureaubladsessie</translation>
    </message>
    <message>
        <location filename="../src/audio/CSettingsForm.cpp" line="+59"/>
        <source>Use %1 and %2</source>
        <translation>%1 en %2 gebruiken</translation>
    </message>
    <message>
        <location line="+80"/>
        <source>A number holds digits, +, * and #, with blanks, -, ., ( and ) between them</source>
        <translation>Een nummer bestaat uit cijfers, +, * en #, met spaties, -, ., ( en ) ertussen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Speed dial %1 is not stored: %2</source>
        <translation>Snelkeuze %1 is niet bewaard: %2</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>None: numbers match by their last nine digits</source>
        <translation>Geen: nummers worden vergeleken op hun laatste negen cijfers</translation>
    </message>
    <message>
        <location line="+74"/>
        <source>Default output</source>
        <translation>Standaarduitgang</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 (not connected)</source>
        <translation>%1 (niet aangesloten)</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The session start could not be changed: %1</source>
        <translation>De start met de sessie kon niet worden gewijzigd: %1</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>%1 is kept for typing: the dial pad, the number fields and the dialogs need it. Add Ctrl or Alt, or choose another key.</source>
        <translation>%1 is voor typen: het kiesvenster, de nummervelden en de dialogen hebben hem nodig. Voeg Ctrl of Alt toe, of kies een andere toets.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 already hangs up.</source>
        <translation>%1 hangt al op.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 already answers.</source>
        <translation>%1 neemt al aan.</translation>
    </message>
</context>
<context>
    <name>CUC20</name>
    <message>
        <location filename="../src/gsm/CUC20.cpp" line="+23"/>
        <source>Phone failure</source>
        <translation>Telefoonfout</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No connection to phone</source>
        <translation>Geen verbinding met telefoon</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Phone-adaptor link reserved</source>
        <translation>Verbinding telefoon-adapter gereserveerd</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Operation not allowed</source>
        <translation>Bewerking niet toegestaan</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Operation not supported</source>
        <translation>Bewerking niet ondersteund</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-SIM PIN required</source>
        <translation>PH-SIM-pincode vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-FSIM PIN required</source>
        <translation>PH-FSIM-pincode vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-FSIM PUK required</source>
        <translation>PH-FSIM-PUK vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM not inserted</source>
        <translation>Geen simkaart geplaatst</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PIN required</source>
        <translation>Pincode van simkaart vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PUK required</source>
        <translation>PUK-code van simkaart vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM failure</source>
        <translation>Simkaartfout</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM busy</source>
        <translation>Simkaart bezet</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM wrong</source>
        <translation>Verkeerde simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Incorrect password</source>
        <translation>Onjuist wachtwoord</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PIN2 required</source>
        <translation>PIN2 van simkaart vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PUK2 required</source>
        <translation>PUK2 van simkaart vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Memory full</source>
        <translation>Geheugen vol</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid index</source>
        <translation>Ongeldige index</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not found</source>
        <translation>Niet gevonden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Memory failure</source>
        <translation>Geheugenfout</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Text string too long</source>
        <translation>Tekst te lang</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid characters in text string</source>
        <translation>Ongeldige tekens in tekst</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dial string too long</source>
        <translation>Kiesreeks te lang</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid characters in dial string</source>
        <translation>Ongeldige tekens in kiesreeks</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No network service</source>
        <translation>Geen netwerkdienst</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network timeout</source>
        <translation>Time-out van netwerk</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network not allowed - emergency calls only</source>
        <translation>Netwerk niet toegestaan - alleen noodoproepen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network personalization PIN required</source>
        <translation>Pincode voor netwerkpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network personalization PUK required</source>
        <translation>PUK voor netwerkpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network subset personalization PIN required</source>
        <translation>Pincode voor netwerksubsetpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Network subset personalization PUK required</source>
        <translation>PUK voor netwerksubsetpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Service provider personalization PIN required</source>
        <translation>Pincode voor providerpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Service provider personalization PUK required</source>
        <translation>PUK voor providerpersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Corporate personalization PIN required</source>
        <translation>Pincode voor bedrijfspersonalisatie vereist</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Corporate personalization PUK required</source>
        <translation>PUK voor bedrijfspersonalisatie vereist</translation>
    </message>
    <message>
        <location filename="../src/gsm/ControlBar.cpp" line="+132"/>
        <location filename="../src/gsm/CUC20.cpp" line="+35"/>
        <source>UNKNOWN CODEC</source>
        <translation>ONBEKEND</translation>
    </message>
    <message>
        <location filename="../src/gsm/CUC20.cpp" line="+173"/>
        <source>sendATCmd(), max. length of at-command exceeded!</source>
        <translation>sendATCmd(): maximale lengte van AT-commando overschreden!</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Module line longer than %1 characters: the rest is cut off</source>
        <translation>Regel van de module langer dan %1 tekens: de rest wordt afgekapt</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Module output without a final result code: more than %1 lines, dropping the oldest</source>
        <translation>Uitvoer van de module zonder eindresultaat: meer dan %1 regels, de oudste vervallen</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>The GSM module answers again</source>
        <translation>De GSM-module antwoordt weer</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>The GSM module has not answered for %1 s</source>
        <translation>De GSM-module heeft %1 s niet geantwoord</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Connection with the device lost: the call is ended here</source>
        <translation>Verbinding met het apparaat verbroken: het gesprek wordt hier beëindigd</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>Not connected with device</source>
        <translation>Niet verbonden met apparaat</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Invalid phone number</source>
        <translation>Ongeldig telefoonnummer</translation>
    </message>
    <message>
        <location filename="../src/gsm/CallRequests.cpp" line="+17"/>
        <location filename="../src/gsm/CUC20.cpp" line="+2"/>
        <source>Phone number too long</source>
        <translation>Telefoonnummer te lang</translation>
    </message>
    <message>
        <location filename="../src/gsm/CUC20.cpp" line="+2"/>
        <source>Current call active</source>
        <translation>Er is al een gesprek actief</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Call already being placed</source>
        <translation>Het gesprek wordt al opgezet</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Call already being answered</source>
        <translation>Het gesprek wordt al aangenomen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Call already being ended</source>
        <translation>Het gesprek wordt al beëindigd</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Calling number: %1</source>
        <translation>Nummer wordt gebeld: %1</translation>
    </message>
    <message>
        <location line="+118"/>
        <source>The module refused the number</source>
        <translation>De module weigerde het nummer</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>No network</source>
        <translation>Geen netwerk</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>Invalid GSM Command: %1</source>
        <translation>Ongeldig GSM-commando: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Incoming call...</source>
        <translation>Inkomend gesprek...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Connect</source>
        <translation>Verbinding gemaakt</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>No Carrier</source>
        <translation>Geen verbinding</translation>
    </message>
    <message>
        <location line="-28"/>
        <location line="+31"/>
        <source>No Dialtone</source>
        <translation>Geen kiestoon</translation>
    </message>
    <message>
        <location line="-287"/>
        <source>The call stays open until the module answers again</source>
        <translation>Het gesprek blijft open tot de module weer antwoordt</translation>
    </message>
    <message>
        <location line="+253"/>
        <location line="+37"/>
        <source>Busy</source>
        <translation>In gesprek</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>No Anwer</source>
        <translation>Geen antwoord</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>Module error %1</source>
        <translation>Modulefout %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Module error: %1</source>
        <translation>Modulefout: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Module error without a code: %1</source>
        <translation>Modulefout zonder code: %1</translation>
    </message>
    <message>
        <location line="+237"/>
        <source>Text message sent, reference %1</source>
        <translation>Sms verstuurd, referentie %1</translation>
    </message>
</context>
<context>
    <name>CUSBHID</name>
    <message>
        <location filename="../src/link/CUSBHID.cpp" line="+42"/>
        <source>Unable to open device [%1]</source>
        <translation>Kan apparaat [%1] niet openen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1() - Unable to open USB device with VID: 0x%2, PID: 0x%3</source>
        <translation>%1() - Kan USB-apparaat met VID: 0x%2, PID: 0x%3 niet openen</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Connected</source>
        <translation>Verbonden</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Disconnected</source>
        <translation>Verbinding verbroken</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1: message length exceeded!</source>
        <translation>%1: maximale berichtlengte overschreden!</translation>
    </message>
</context>
<context>
    <name>CallHistoryExport</name>
    <message>
        <location filename="../src/contacts/CallHistoryExport.cpp" line="+61"/>
        <source>The call history could not be read from the database.</source>
        <translation>De gespreksgeschiedenis kon niet uit de database worden gelezen.</translation>
    </message>
    <message>
        <location line="+81"/>
        <source>The file could not be written.</source>
        <translation>Het bestand kon niet worden geschreven.</translation>
    </message>
</context>
<context>
    <name>CallNoteText</name>
    <message>
        <location filename="../src/contacts/CallNoteText.cpp" line="+32"/>
        <source>Caller: %1</source>
        <translation>Beller: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Place: %1</source>
        <translation>Plaats: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Topic: %1</source>
        <translation>Onderwerp: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Ready for air</source>
        <translation>Klaar voor uitzending</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Not ready for air</source>
        <translation>Niet klaar voor uitzending</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>READY</source>
        <translation>KLAAR</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>NOT READY</source>
        <translation>NIET KLAAR</translation>
    </message>
</context>
<context>
    <name>CallNotesPanel</name>
    <message>
        <location filename="../src/gsm/CallNotesPanel.cpp" line="+32"/>
        <source>Notes:</source>
        <translation>Notities:</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Save to phonebook</source>
        <translation>In telefoonboek</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>Put the caller into the phonebook under the name the producer noted</source>
        <translation>Zet de beller in het telefoonboek onder de naam die de producer noteerde</translation>
    </message>
</context>
<context>
    <name>CallParty</name>
    <message>
        <location filename="../src/contacts/CallParty.cpp" line="+7"/>
        <source>Withheld number</source>
        <translation>Afgeschermd nummer</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>CallRequests</name>
    <message>
        <location filename="../src/gsm/CallRequests.cpp" line="+4"/>
        <source>Service codes are not dialled by remote control</source>
        <translation>Dienstcodes worden niet via de afstandsbediening gebeld</translation>
    </message>
    <message>
        <location line="+20"/>
        <location line="+11"/>
        <source>Not connected with device</source>
        <translation>Niet verbonden met apparaat</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>No incoming call to answer</source>
        <translation>Geen inkomend gesprek om aan te nemen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>No call to end</source>
        <translation>Geen gesprek om te beëindigen</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>No incoming call to decline</source>
        <translation>Geen inkomend gesprek om te weigeren</translation>
    </message>
</context>
<context>
    <name>CloseDuringCall</name>
    <message>
        <location filename="../src/gsm/CloseDuringCall.cpp" line="+14"/>
        <source>A call with %1 is on air. Closing the program hangs it up.</source>
        <translation>Er is een gesprek met %1 in de uitzending. Sluiten van het programma hangt het op.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A call from %1 is ringing. Closing the program declines it.</source>
        <translation>Er belt %1. Sluiten van het programma weigert de oproep.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A call to %1 is being placed. Closing the program cancels it.</source>
        <translation>Er wordt %1 gebeld. Sluiten van het programma breekt de oproep af.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Call in progress</source>
        <translation>Gesprek bezig</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>End the call and close</source>
        <translation>Gesprek beëindigen en sluiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keep the program open</source>
        <translation>Programma open laten</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/app/CommandLine.cpp" line="+97"/>
        <source>Controls the Orvane Parlona telephone hybrid.</source>
        <translation>Bedient de Orvane Parlona telefoonhybride.</translation>
    </message>
    <message>
        <location line="-76"/>
        <source>Attach N emulated hybrids (1 to %1, default 1) instead of USB: --virtual-hybrid [N].</source>
        <translation>Sluit N geëmuleerde hybrides aan (1 tot %1, standaard 1) in plaats van USB: --virtual-hybrid [N].</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Offer the service pages (Debug, SMS, Dynamics) in a Service menu.</source>
        <translation>Biedt de servicepagina&apos;s (Debug, SMS, Dynamiek) aan in een Service-menu.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Write the program&apos;s diagnostics to the standard error output.</source>
        <translation>Schrijft de diagnose van het programma naar de standaardfoutuitvoer.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Start in the tray (or minimized where there is none), as at the start of a session.</source>
        <translation>In het systeemvak starten (of geminimaliseerd als er geen is), zoals bij het begin van een sessie.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show the program in this language (for example nl or en).</source>
        <translation>Toont het programma in deze taal (bijvoorbeeld nl of en).</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Answer the ringing call in the running program.</source>
        <translation>Het overgaande gesprek aannemen in het draaiende programma.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>End the call in the running program.</source>
        <translation>Het gesprek beëindigen in het draaiende programma.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dial a number from the running program.</source>
        <translation>Een nummer kiezen vanuit het draaiende programma.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print the running program&apos;s connection, SIM, signal and call state.</source>
        <translation>De verbinding, SIM, het signaal en de gespreksstatus van het draaiende programma tonen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Control only the hybrid with this serial number; with --answer, --hangup, --dial or --status, speak to the program controlling it.</source>
        <translation>Bedien alleen de hybride met dit serienummer; met --answer, --hangup, --dial of --status: spreek het programma aan dat die bedient.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>The window system plugin: xcb, wayland, offscreen, ...</source>
        <translation>De vensterplug-in: xcb, wayland, offscreen, ...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Where to look for window system plugins.</source>
        <translation>Waar vensterplug-ins gezocht worden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The desktop theme to follow.</source>
        <translation>Het bureaubladthema dat gevolgd wordt.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An extra plugin to load, such as an input device.</source>
        <translation>Een extra plug-in om te laden, zoals een invoerapparaat.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The main window&apos;s size and place (WxH+X+Y).</source>
        <translation>Grootte en plaats van het hoofdvenster (BxH+X+Y).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The same as -qwindowgeometry (X11).</source>
        <translation>Hetzelfde als -qwindowgeometry (X11).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The main window&apos;s icon.</source>
        <translation>Het pictogram van het hoofdvenster.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The main window&apos;s title.</source>
        <translation>De titel van het hoofdvenster.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The X server display to show the windows on.</source>
        <translation>Het scherm van de X-server waarop de vensters verschijnen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The program&apos;s resource name (X11).</source>
        <translation>De resourcenaam van het programma (X11).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Restore the program from an earlier session.</source>
        <translation>Het programma herstellen uit een eerdere sessie.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The widget style: fusion, windows, ...</source>
        <translation>De widgetstijl: fusion, windows, ...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A style sheet for the whole program.</source>
        <translation>Een stylesheet voor het hele programma.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The dialogs&apos; look (Windows only).</source>
        <translation>Het uiterlijk van de dialogen (alleen Windows).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Switch the QML debugger on.</source>
        <translation>De QML-debugger inschakelen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Lay the windows out from right to left.</source>
        <translation>De vensters van rechts naar links opbouwen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Print how many widgets are left at the end.</source>
        <translation>Aan het eind tonen hoeveel widgets er over zijn.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Never grab the mouse or the keyboard.</source>
        <translation>Muis en toetsenbord nooit exclusief overnemen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Grab the mouse and keyboard even under a debugger.</source>
        <translation>Muis en toetsenbord ook onder een debugger overnemen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Talk to the X server synchronously (for debugging).</source>
        <translation>Synchroon met de X-server praten (voor het debuggen).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Load the testability plugin.</source>
        <translation>De testability-plug-in laden.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Number of emulated hybrids, after --virtual-hybrid.</source>
        <translation>Aantal geëmuleerde hybrides, na --virtual-hybrid.</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>--unit takes a hybrid&apos;s serial number (letters and digits, at most %1).</source>
        <translation>--unit verwacht het serienummer van een hybride (letters en cijfers, hoogstens %1).</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>--answer, --hangup, --dial and --status are given alone, one at a time.</source>
        <translation>--answer, --hangup, --dial en --status worden alleen gegeven, één tegelijk.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The number of emulated hybrids must be 1 to %1.</source>
        <translation>Het aantal geëmuleerde hybrides moet 1 tot %1 zijn.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Onverwacht argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>--quit-after takes a number of milliseconds.</source>
        <translation>--quit-after verwacht een aantal milliseconden.</translation>
    </message>
</context>
<context>
    <name>ContactCsv</name>
    <message>
        <location filename="../src/contacts/ContactCsv.cpp" line="+58"/>
        <source>Line %1: the line is longer than %2 characters</source>
        <translation>Regel %1: de regel is langer dan %2 tekens</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Line %1: a quoted field is not closed</source>
        <translation>Regel %1: een veld tussen aanhalingstekens is niet afgesloten</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Line %1: text after the closing quote of field %2</source>
        <translation>Regel %1: tekst na het sluitende aanhalingsteken van veld %2</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Line %1: a quote inside field %2, which is not quoted</source>
        <translation>Regel %1: een aanhalingsteken in veld %2, dat niet tussen aanhalingstekens staat</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Line %1: field %2 is longer than %3 characters</source>
        <translation>Regel %1: veld %2 is langer dan %3 tekens</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>the import expects the columns first_name, last_name, phone_number and info (or First name, Last name, Phone, Notes; Voornaam, Achternaam, Telefoon, Opmerkingen)</source>
        <translation>de import verwacht de kolommen first_name, last_name, phone_number en info (of First name, Last name, Phone, Notes; Voornaam, Achternaam, Telefoon, Opmerkingen)</translation>
    </message>
    <message>
        <location line="+94"/>
        <source>unknown column &quot;%1&quot; in the header; %2</source>
        <translation>onbekende kolom &quot;%1&quot; in de kopregel; %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the columns &quot;%1&quot; and &quot;%2&quot; of the header both stand for %3; %4</source>
        <translation>de kolommen &quot;%1&quot; en &quot;%2&quot; van de kopregel staan allebei voor %3; %4</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>the header lacks column %1; %2</source>
        <translation>de kopregel mist kolom %1; %2</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Line %1: %2</source>
        <translation>Regel %1: %2</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Line %1: the header has %2 fields, this record %3</source>
        <translation>Regel %1: de kopregel heeft %2 velden, dit record %3</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Line 1: the header row (first_name,last_name,phone_number,info) is missing</source>
        <translation>Regel 1: de kopregel (first_name,last_name,phone_number,info) ontbreekt</translation>
    </message>
</context>
<context>
    <name>ContactDialog</name>
    <message>
        <location filename="../src/contacts/ContactDialog.ui" line="+20"/>
        <source>Firstname:</source>
        <translation>Voornaam:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Lastname:</source>
        <translation>Achternaam:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Phone number:</source>
        <translation>Telefoonnummer:</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>A contact needs a phone number that can be dialled: digits, +, * and #.</source>
        <translation>Een contact heeft een telefoonnummer nodig dat gekozen kan worden: cijfers, +, * en #.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Additional Information:</source>
        <translation>Aanvullende informatie:</translation>
    </message>
    <message>
        <location filename="../src/contacts/ContactDialog.cpp" line="+38"/>
        <source>The additional information is longer than %1 characters.</source>
        <translation>De aanvullende informatie is langer dan %1 tekens.</translation>
    </message>
</context>
<context>
    <name>ContactExchange</name>
    <message>
        <location filename="../src/contacts/ContactExchange.cpp" line="+91"/>
        <source>Cannot write %1: %2</source>
        <translation>Kan %1 niet schrijven: %2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Cannot read %1: %2</source>
        <translation>Kan %1 niet lezen: %2</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The database is not open.</source>
        <translation>De database is niet geopend.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Line %1: the file holds a NUL byte, so it is not a text file; save it as CSV (UTF-8) or as vCard and import that</source>
        <translation>Regel %1: het bestand bevat een NUL-byte en is dus geen tekstbestand; sla het op als CSV (UTF-8) of als vCard en importeer dat</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Line %1: &quot;%2&quot; is not a phone number that can be dialled</source>
        <translation>Regel %1: &quot;%2&quot; is geen telefoonnummer dat gekozen kan worden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Line %1: the card has no phone number</source>
        <translation>Regel %1: de kaart heeft geen telefoonnummer</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Line %1: the contact has no phone number</source>
        <translation>Regel %1: het contact heeft geen telefoonnummer</translation>
    </message>
    <message>
        <location line="+23"/>
        <location line="+24"/>
        <source>The database cannot take contacts: %1</source>
        <translation>De database kan geen contacten opnemen: %1</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Line %1: the database did not take the contact: %2</source>
        <translation>Regel %1: de database nam het contact niet op: %2</translation>
    </message>
    <message>
        <location line="-39"/>
        <source>The database did not keep the contacts: %1</source>
        <translation>De database heeft de contacten niet bewaard: %1</translation>
    </message>
</context>
<context>
    <name>ContactImportJob</name>
    <message>
        <location filename="../src/contacts/ContactImportJob.cpp" line="+84"/>
        <source>Cannot read %1: %2</source>
        <translation>Kan %1 niet lezen: %2</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The database cannot take contacts: %1</source>
        <translation>De database kan geen contacten opnemen: %1</translation>
    </message>
</context>
<context>
    <name>ContactVCard</name>
    <message>
        <location filename="../src/contacts/ContactVCard.cpp" line="+403"/>
        <source>Line %1: %2</source>
        <translation>Regel %1: %2</translation>
    </message>
    <message>
        <location line="-185"/>
        <source>the line has no &quot;:&quot; between name and value</source>
        <translation>de regel heeft geen &quot;:&quot; tussen naam en waarde</translation>
    </message>
    <message>
        <location line="+206"/>
        <source>BEGIN:VCARD expected</source>
        <translation>BEGIN:VCARD verwacht</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the card has no END:VCARD before the next BEGIN</source>
        <translation>de kaart heeft geen END:VCARD voor de volgende BEGIN</translation>
    </message>
    <message>
        <location line="-88"/>
        <source>the card has no telephone number (TEL)</source>
        <translation>de kaart heeft geen telefoonnummer (TEL)</translation>
    </message>
    <message>
        <location line="-84"/>
        <source>%1 values in %2 cannot be read</source>
        <translation>%1-waarden in %2 kunnen niet gelezen worden</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the character set %1 cannot be read</source>
        <translation>de tekenset %1 kan niet gelezen worden</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>the value of %1 is longer than %2 characters</source>
        <translation>de waarde van %1 is langer dan %2 tekens</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>Other numbers: %1</source>
        <translation>Andere nummers: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the note and the other numbers are longer than %1 characters together</source>
        <translation>de notitie en de andere nummers zijn samen langer dan %1 tekens</translation>
    </message>
    <message>
        <location line="+78"/>
        <source>the line is longer than %1 characters</source>
        <translation>de regel is langer dan %1 tekens</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>the card ends without END:VCARD</source>
        <translation>de kaart eindigt zonder END:VCARD</translation>
    </message>
</context>
<context>
    <name>ControlBar</name>
    <message>
        <location filename="../src/gsm/ControlBar.ui" line="+78"/>
        <source>SIM Status:</source>
        <translation>Simstatus:</translation>
    </message>
    <message>
        <location line="+19"/>
        <location filename="../src/gsm/ControlBar.cpp" line="+83"/>
        <location line="+172"/>
        <source>UNKNOWN</source>
        <translation>ONBEKEND</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Signal:</source>
        <translation>Signaal:</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>The strength of the GSM network at the unit</source>
        <translation>De sterkte van het GSM-netwerk bij het apparaat</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Ask the SIM again whether it waits for a PIN or PUK</source>
        <translation>Vraag de simkaart opnieuw of ze op een pincode of PUK wacht</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Login</source>
        <translation>Aanmelden</translation>
    </message>
    <message>
        <location line="+47"/>
        <location filename="../src/gsm/ControlBar.cpp" line="+93"/>
        <source>Answer the ringing call, or dial the number of the page on show</source>
        <translation>Neem het rinkelende gesprek aan, of bel het nummer van de getoonde pagina</translation>
    </message>
    <message>
        <location line="+30"/>
        <location filename="../src/gsm/ControlBar.cpp" line="+3"/>
        <source>End the call, or refuse the ringing one</source>
        <translation>Beëindig het gesprek, of weiger het rinkelende</translation>
    </message>
    <message>
        <location line="+193"/>
        <source>Call Status:</source>
        <translation>Gesprek:</translation>
    </message>
    <message>
        <location line="+19"/>
        <location filename="../src/gsm/ControlBar.cpp" line="-181"/>
        <source>IDLE</source>
        <translation>VRIJ</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Number:</source>
        <translation>Nummer:</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Codec:</source>
        <translation>Codec:</translation>
    </message>
    <message>
        <location filename="../src/gsm/ControlBar.cpp" line="-242"/>
        <source>SIM PIN</source>
        <translation>SIM-PIN</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>waiting for SIM PIN</source>
        <translation>wacht op pincode van simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PUK</source>
        <translation>SIM-PUK</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>waiting for SIM PUK</source>
        <translation>wacht op PUK van simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PIN2</source>
        <translation>SIM-PIN2</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>waiting for SIM PIN2</source>
        <translation>wacht op PIN2 van simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM PUK2</source>
        <translation>SIM-PUK2</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>waiting for SIM PUK2</source>
        <translation>wacht op PUK2 van simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-NET PIN</source>
        <translation>PH-NET PIN</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>waiting network personalization password</source>
        <translation>wacht op wachtwoord voor netwerkpersonalisatie</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-NET PUK</source>
        <translation>PH-NET PUK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>waiting network personalization unblocking password</source>
        <translation>wacht op deblokkeerwachtwoord voor netwerkpersonalisatie</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-NETSUB PIN</source>
        <translation>PH-NETSUB PIN</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>waiting network subset personalization password</source>
        <translation>wacht op wachtwoord voor netwerksubsetpersonalisatie</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PH-NETSUB PUK</source>
        <translation>PH-NETSUB PUK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>waiting network subset personalization unblocking</source>
        <translation>wacht op deblokkering van netwerksubsetpersonalisatie</translation>
    </message>
    <message>
        <location line="+224"/>
        <source>NO UNIT</source>
        <translation>GEEN APPARAAT</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>MODULE NOT ANSWERING</source>
        <translation>MODULE ANTWOORDT NIET</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>CALLING</source>
        <translation>BELLEN</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>INCOMING</source>
        <translation>INKOMEND</translation>
    </message>
    <message>
        <location line="+190"/>
        <source>Speed dial %1: no number stored (choose one on the Settings page)</source>
        <translation>Snelkiestoets %1: geen nummer opgeslagen (kies er een op de pagina Instellingen)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Speed dial %1: %2</source>
        <translation>Snelkiestoets %1: %2</translation>
    </message>
    <message>
        <location line="+83"/>
        <source>PUK sent with a new PIN: once the SIM accepts it, the new PIN unlocks it</source>
        <translation>PUK verstuurd met een nieuwe pincode: zodra de SIM hem aanneemt, ontgrendelt de nieuwe pincode hem</translation>
    </message>
    <message>
        <location line="+6"/>
        <location line="+8"/>
        <source>Choose a new PIN of 4 to 8 digits:</source>
        <translation>Kies een nieuwe pincode van 4 tot 8 cijfers:</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Enter the new PIN again:</source>
        <translation>Voer de nieuwe pincode nogmaals in:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The two entries differed, so the PIN is asked for again.</source>
        <translation>De twee invoeren verschilden, dus de pincode wordt opnieuw gevraagd.</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>1 attempt left</source>
        <translation>Nog 1 poging</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1 attempts left</source>
        <translation>Nog %1 pogingen</translation>
    </message>
    <message>
        <location line="-426"/>
        <source>READY</source>
        <translation>GEREED</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM Ready</source>
        <translation>Simkaart gereed</translation>
    </message>
    <message>
        <location line="+206"/>
        <source>NO NETWORK</source>
        <translation>GEEN NETWERK</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>WEAK %1 dBm</source>
        <translation>ZWAK %1 dBm</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 dBm</source>
        <translation>%1 dBm</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>LINE LOST %1</source>
        <translation>LIJN WEG %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>CALLER HUNG UP %1</source>
        <translation>BELLER HING OP %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>CALL ENDED %1</source>
        <translation>BEËINDIGD %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>LINE LOST</source>
        <translation>LIJN WEG</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>MISSED</source>
        <translation>GEMIST</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>DECLINED</source>
        <translation>GEWEIGERD</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>NOT ANSWERED</source>
        <translation>NIET OPGENOMEN</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>CALL ENDED</source>
        <translation>BEËINDIGD</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Answer the ringing call (%1), or dial the number of the page on show</source>
        <translation>De rinkelende oproep aannemen (%1), of het nummer van de getoonde pagina kiezen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>End the call, or refuse the ringing one (%1)</source>
        <translation>Het gesprek beëindigen, of de rinkelende oproep weigeren (%1)</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Enter PIN:</source>
        <translation>Voer pincode in:</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+23"/>
        <source>A PIN is 4 to 8 digits and nothing else.</source>
        <translation>Een pincode bestaat uit 4 tot 8 cijfers en niets anders.</translation>
    </message>
    <message>
        <location line="-14"/>
        <source>Enter PUK:</source>
        <translation>Voer PUK in:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>A PUK is 8 digits and nothing else.</source>
        <translation>Een PUK bestaat uit 8 cijfers en niets anders.</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>SIM</source>
        <translation>Simkaart</translation>
    </message>
</context>
<context>
    <name>DatabaseBackup</name>
    <message>
        <location filename="../src/contacts/DatabaseBackup.cpp" line="+57"/>
        <source>the folder %1 cannot be made</source>
        <translation>de map %1 kan niet worden aangemaakt</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>%1 is not there</source>
        <translation>%1 bestaat niet</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>it holds no phonebook and call history</source>
        <translation>er staat geen telefoonboek en gespreksgeschiedenis in</translation>
    </message>
</context>
<context>
    <name>DebugForm</name>
    <message>
        <location filename="../src/diagnostics/DebugForm.ui" line="+24"/>
        <source>do AT</source>
        <translation>AT uitvoeren</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>NAU8810 Write</source>
        <translation>NAU8810 schrijven</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Reg</source>
        <translation>Reg</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Value</source>
        <translation>Waarde</translation>
    </message>
    <message>
        <location line="+38"/>
        <location line="+55"/>
        <source>Write</source>
        <translation>Schrijven</translation>
    </message>
    <message>
        <location line="-48"/>
        <source>Read</source>
        <translation>Lezen</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Raw AT Command:</source>
        <translation>Ruw AT-commando:</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>The module&apos;s answer</source>
        <translation>Het antwoord van de module</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Audio Mode</source>
        <translation>Audiomodus</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Handset</source>
        <translation>Hoorn</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Headset</source>
        <translation>Headset</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Speaker</source>
        <translation>Luidspreker</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>SideTone Gain</source>
        <translation>Meeluisterniveau</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Get</source>
        <translation>Ophalen</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Testtone</source>
        <translation>Testtoon</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ON</source>
        <translation>AAN</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>OFF</source>
        <translation>UIT</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>SERIAL NUMBER</source>
        <translation>SERIENUMMER</translation>
    </message>
    <message>
        <location line="+6"/>
        <location filename="../src/diagnostics/DebugForm.cpp" line="+224"/>
        <source>Serial number</source>
        <translation>Volgnummer</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>HW revision</source>
        <translation>HW-revisie</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>SerialNr:</source>
        <translation>Serienr.:</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>WRITE</source>
        <translation>SCHRIJVEN</translation>
    </message>
    <message>
        <location line="+12"/>
        <location filename="../src/diagnostics/DebugForm.cpp" line="+8"/>
        <source>Factory Reset</source>
        <translation>Fabrieksinstellingen</translation>
    </message>
    <message>
        <location line="+7"/>
        <location filename="../src/diagnostics/DebugForm.cpp" line="+8"/>
        <source>Reboot</source>
        <translation>Herstarten</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Identify</source>
        <translation>Identificeren</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Save EEPROM</source>
        <translation>EEPROM opslaan</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Get Firmware Version</source>
        <translation>Firmwareversie ophalen</translation>
    </message>
    <message>
        <location filename="../src/diagnostics/DebugForm.cpp" line="-80"/>
        <source>(not sent: no hybrid connected)</source>
        <translation>(niet verzonden: geen hybride verbonden)</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Register %1: reading...</source>
        <translation>Register %1: wordt gelezen...</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Serial number &quot;%1&quot; not written: it must fit in %2 Latin-1 characters</source>
        <translation>Serienummer &quot;%1&quot; niet geschreven: het moet passen in %2 Latin-1-tekens</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Write the serial number %1 into the hybrid?</source>
        <translation>Het volgnummer %1 in de hybride schrijven?</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Reset the hybrid to its factory settings? The settings it has stored are lost.</source>
        <translation>De hybride terugzetten naar de fabrieksinstellingen? De opgeslagen instellingen gaan verloren.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Reboot the hybrid?</source>
        <translation>De hybride opnieuw opstarten?</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>A call is in progress: it will be dropped.</source>
        <translation>Er loopt een gesprek: dat wordt verbroken.</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>(no answer from the module)</source>
        <translation>(geen antwoord van de module)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Register %1: %2 (binary %3)</source>
        <translation>Register %1: %2 (binair %3)</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Firmware: v%1.%2.%3.%4</source>
        <translation>Firmware: v%1.%2.%3.%4</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <location filename="../src/remote/DesktopNotifier.cpp" line="+51"/>
        <source>Show</source>
        <translation>Tonen</translation>
    </message>
</context>
<context>
    <name>DeviceSelectDialog</name>
    <message>
        <location filename="../src/link/DeviceSelectDialog.ui" line="+14"/>
        <source>Device Selection</source>
        <translation>Apparaatkeuze</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Select Device:</source>
        <translation>Kies apparaat:</translation>
    </message>
</context>
<context>
    <name>EventLogDialog</name>
    <message>
        <location filename="../src/diagnostics/EventLogDialog.cpp" line="+17"/>
        <source>Event log</source>
        <translation>Gebeurtenissenlogboek</translation>
    </message>
    <message>
        <location line="+17"/>
        <location line="+16"/>
        <source>No events recorded yet.</source>
        <translation>Nog geen gebeurtenissen vastgelegd.</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>Reading the journal...</source>
        <translation>Het journaal wordt gelezen...</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The journal could not be read: %1</source>
        <translation>Het journaal kon niet worden gelezen: %1</translation>
    </message>
</context>
<context>
    <name>ExportRangeDialog</name>
    <message>
        <location filename="../src/contacts/ExportRangeDialog.ui" line="+6"/>
        <source>Export Call History</source>
        <translation>Gespreksgeschiedenis exporteren</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>All calls</source>
        <translation>Alle gesprekken</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>From</source>
        <translation>Van</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>to</source>
        <translation>tot en met</translation>
    </message>
</context>
<context>
    <name>InfoForm</name>
    <message>
        <location filename="../src/diagnostics/InfoForm.ui" line="+26"/>
        <source>Serial:</source>
        <translation>Serienummer:</translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+65"/>
        <source>Firmware revision:</source>
        <translation>Firmwareversie:</translation>
    </message>
    <message>
        <location line="-51"/>
        <source>Hardware ID:</source>
        <translation>Hardware-ID:</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Internal GSM Module</source>
        <translation>Interne GSM-module</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Manufacturer:</source>
        <translation>Fabrikant:</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Model:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>IMEI:</source>
        <translation>IMEI:</translation>
    </message>
    <message>
        <location filename="../src/diagnostics/InfoForm.cpp" line="+57"/>
        <source>Unknown (invalid version reported)</source>
        <translation>Onbekend (ongeldige versie gemeld)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The unit reported %1</source>
        <translation>De unit meldde %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/app/MainWindow.ui" line="+62"/>
        <source>RECEIVE (from caller)</source>
        <translation>ONTVANGEN (van beller)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>RECEIVE</source>
        <translation>ONTV.</translation>
    </message>
    <message>
        <location line="+103"/>
        <source>SEND (to caller)</source>
        <translation>ZENDEN (naar beller)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>SEND</source>
        <translation>ZENDEN</translation>
    </message>
    <message>
        <location line="+94"/>
        <source>File</source>
        <translation>Bestand</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Disconnect</source>
        <translation>Verbinding verbreken</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>AutoConnect</source>
        <translation>Automatisch verbinden</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Tray icon and notices</source>
        <translation>Systeemvakpictogram en meldingen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Quit</source>
        <translation>Afsluiten</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Operator&apos;s guide</source>
        <translation>Bedieningshandleiding</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Show event log</source>
        <translation>Gebeurtenissenlogboek tonen</translation>
    </message>
    <message>
        <location line="+5"/>
        <location filename="../src/app/MainWindow.cpp" line="+711"/>
        <source>About Parlona Control</source>
        <translation>Over Parlona Control</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Status Bar</source>
        <translation>Statusbalk</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="-583"/>
        <source>%1 - v%2</source>
        <translation>%1 - v%2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Debug Console</source>
        <translation>Debugconsole</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Console</source>
        <translation>Console</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>View</source>
        <translation>Beeld</translation>
    </message>
    <message>
        <location line="+168"/>
        <source>Phonebook and history</source>
        <translation>Telefoonboek en geschiedenis</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Move phonebook and history to the station server...</source>
        <translation>Telefoonboek en geschiedenis naar de stationsserver verplaatsen...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Move phonebook and history to this computer...</source>
        <translation>Telefoonboek en geschiedenis naar deze computer verplaatsen...</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Calls waiting for the station server: %1</source>
        <translation>Gesprekken die op de stationsserver wachten: %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The calls that wait for the station server are kept only until the program stops: %1</source>
        <translation>De gesprekken die op de stationsserver wachten, worden alleen bewaard tot het programma stopt: %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Screening page</source>
        <translation>Screeningpagina</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Back up now...</source>
        <translation>Nu een reservekopie maken...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Restore from backup...</source>
        <translation>Terugzetten uit een reservekopie...</translation>
    </message>
    <message>
        <location line="+126"/>
        <source>%1 - unit %2</source>
        <translation>%1 - eenheid %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Service</source>
        <translation>Service</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Dialpad</source>
        <translation>Kiesblok</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Phonebook</source>
        <translation>Telefoonboek</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dynamics</source>
        <translation>Dynamiek</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Settings</source>
        <translation>Instellingen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SMS</source>
        <translation>Sms</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call History</source>
        <translation>Gespreksgeschiedenis</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>Status: Connected [Initializing...]</source>
        <translation>Status: verbonden [initialiseren...]</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Status: Disconnected</source>
        <translation>Status: niet verbonden</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>Status: Connected [Orvane Parlona, Firmware: v%1.%2.%3.%4]</source>
        <translation>Status: verbonden [Orvane Parlona, firmware: v%1.%2.%3.%4]</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>No unit connected.</source>
        <translation>Geen apparaat verbonden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Connected unit: Orvane Parlona, firmware v%1.</source>
        <translation>Verbonden apparaat: Orvane Parlona, firmware v%1.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&lt;h3&gt;Parlona Control %1&lt;/h3&gt;&lt;p&gt;Controls the Orvane Parlona telephone hybrid: calls, levels, equaliser, phonebook and call history.&lt;/p&gt;&lt;p&gt;%2&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Orvane. Proprietary software, licensed for use with Orvane Parlona hybrids; see the file LICENSE that comes with it.&lt;/p&gt;&lt;p&gt;Built with Qt %3 (LGPL 3) and hidapi (BSD licence).&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Parlona Control %1&lt;/h3&gt;&lt;p&gt;Bedient de Orvane Parlona telefoonhybride: gesprekken, niveaus, equalizer, telefoonboek en gespreksgeschiedenis.&lt;/p&gt;&lt;p&gt;%2&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Orvane. Niet-vrije software, in licentie gegeven voor gebruik met Orvane Parlona-hybrides; zie het bijgeleverde bestand LICENSE.&lt;/p&gt;&lt;p&gt;Gebouwd met Qt %3 (LGPL 3) en hidapi (BSD-licentie).&lt;/p&gt;</translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+1"/>
        <source>Status: Connected [GSM module not answering]</source>
        <translation>Status: verbonden [GSM-module antwoordt niet]</translation>
    </message>
    <message>
        <location line="+183"/>
        <source>Do you want to save settings in the Orvane Parlona?</source>
        <translation>Wilt u de instellingen in de Orvane Parlona opslaan?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Timeout Error!</source>
        <translation>Time-outfout!</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Failed to save settings</source>
        <translation>Opslaan van de instellingen mislukt</translation>
    </message>
</context>
<context>
    <name>MissedCallBadge</name>
    <message>
        <location filename="../src/contacts/MissedCallBadge.cpp" line="+51"/>
        <source>%1 (%2 missed)</source>
        <extracomment>The call history&apos;s tool button while calls were missed; %1 is the button&apos;s own text.</extracomment>
        <translation>%1 (%2 gemist)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>One call was missed since the history was last looked at</source>
        <translation>Er is een oproep gemist sinds de geschiedenis het laatst bekeken is</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 calls were missed since the history was last looked at</source>
        <translation>Er zijn %1 oproepen gemist sinds de geschiedenis het laatst bekeken is</translation>
    </message>
</context>
<context>
    <name>NotedCallerSaver</name>
    <message>
        <location filename="../src/contacts/NotedCallerSaver.cpp" line="+74"/>
        <source>%1 (%2) is in the phonebook now, as the producer noted</source>
        <translation>%1 (%2) staat nu in het telefoonboek, zoals de producer noteerde</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The producer has noted no name to save in the phonebook</source>
        <translation>De producer heeft geen naam genoteerd om in het telefoonboek te zetten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 called with a withheld number: there is no number to save</source>
        <translation>%1 belde met een afgeschermd nummer: er is geen nummer om op te slaan</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is in the phonebook already as %2</source>
        <translation>%1 staat al in het telefoonboek als %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 (%2) could not be saved in the phonebook</source>
        <translation>%1 (%2) kon niet in het telefoonboek worden gezet</translation>
    </message>
</context>
<context>
    <name>OperatorGuideDialog</name>
    <message>
        <location filename="../src/app/OperatorGuideDialog.cpp" line="+30"/>
        <source>Operator&apos;s guide</source>
        <translation>Bedieningshandleiding</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The operator&apos;s guide is missing from this build.</source>
        <translation>De bedieningshandleiding ontbreekt in deze versie.</translation>
    </message>
</context>
<context>
    <name>OrvanePPMMeter</name>
    <message>
        <location filename="../src/instruments/OrvanePPMMeter.cpp" line="+55"/>
        <source>PPM Meter</source>
        <translation>PPM-meter</translation>
    </message>
</context>
<context>
    <name>PhonebookForm</name>
    <message>
        <location filename="../src/contacts/PhonebookForm.ui" line="+26"/>
        <source>Search name or number</source>
        <translation>Zoek op naam of nummer</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Additional Information:</source>
        <translation>Aanvullende informatie:</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Add contacts from a CSV or vCard file</source>
        <translation>Contacten toevoegen uit een CSV- of vCard-bestand</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Import...</source>
        <translation>Importeren...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Save all contacts to a CSV or vCard file</source>
        <translation>Alle contacten opslaan in een CSV- of vCard-bestand</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Export...</source>
        <translation>Exporteren...</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Add</source>
        <translation>Toevoegen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Edit</source>
        <translation>Bewerken</translation>
    </message>
    <message>
        <location line="+7"/>
        <location filename="../src/contacts/PhonebookForm.cpp" line="+152"/>
        <source>Delete</source>
        <translation>Verwijderen</translation>
    </message>
    <message>
        <location filename="../src/contacts/PhonebookForm.cpp" line="-89"/>
        <source>first_name</source>
        <translation>Voornaam</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>last_name</source>
        <translation>Achternaam</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>phone_number</source>
        <translation>Telefoonnummer</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>The contact %1 was not added: a field is longer than %2 characters.</source>
        <translation>Het contact %1 is niet toegevoegd: een veld is langer dan %2 tekens.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The contact %1 could not be added: %2</source>
        <translation>Het contact %1 kon niet worden toegevoegd: %2</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Add Contact</source>
        <translation>Contact toevoegen</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Edit Contact</source>
        <translation>Contact bewerken</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The contact %1 could not be changed: %2</source>
        <translation>Het contact %1 kon niet worden gewijzigd: %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Are you sure you want to delete contact&quot;%1&quot;?</source>
        <translation>Weet u zeker dat u contact &quot;%1&quot; wilt verwijderen?</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The contact %1 could not be deleted: %2</source>
        <translation>Het contact %1 kon niet worden verwijderd: %2</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Import Contacts</source>
        <translation>Contacten importeren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Contacts (*.csv *.vcf *.vcard)</source>
        <translation>Contacten (*.csv *.vcf *.vcard)</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+19"/>
        <source>CSV files (*.csv)</source>
        <translation>CSV-bestanden (*.csv)</translation>
    </message>
    <message>
        <location line="-18"/>
        <source>vCard files (*.vcf *.vcard)</source>
        <translation>vCard-bestanden (*.vcf *.vcard)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>All files (*)</source>
        <translation>Alle bestanden (*)</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Export Contacts</source>
        <translation>Contacten exporteren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>vCard files (*.vcf)</source>
        <translation>vCard-bestanden (*.vcf)</translation>
    </message>
    <message>
        <location line="+27"/>
        <location line="+21"/>
        <location line="+23"/>
        <source>Import</source>
        <translation>Importeren</translation>
    </message>
    <message>
        <location line="-44"/>
        <source>Nothing was imported from %1.

%2</source>
        <translation>Er is niets geïmporteerd uit %1.

%2</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The database is not open.</source>
        <translation>De database is niet geopend.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Importing contacts from %1...</source>
        <translation>Contacten importeren uit %1...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation>Annuleren</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>Contacts imported from %1: %2.</source>
        <translation>Contacten geïmporteerd uit %1: %2.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>(no name)</source>
        <translation>(geen naam)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Line %1: %2, %3 (already in the phonebook)</source>
        <translation>Regel %1: %2, %3 (staat al in het telefoonboek)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Line %1: %2, %3 (same number as line %4)</source>
        <translation>Regel %1: %2, %3 (zelfde nummer als regel %4)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Not added, because the number is in the phonebook already or earlier in the file: %1.</source>
        <translation>Niet toegevoegd, omdat het nummer al in het telefoonboek of eerder in het bestand staat: %1.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>... and %1 more (see the details)</source>
        <translation>... en nog %1 (zie de details)</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+3"/>
        <source>Export</source>
        <translation>Exporteren</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>Contacts exported to %1: %2.</source>
        <translation>Contacten geëxporteerd naar %1: %2.</translation>
    </message>
</context>
<context>
    <name>RemoteClient</name>
    <message>
        <location filename="../src/remote/RemoteClient.cpp" line="+44"/>
        <source>Parlona Control is already running; its window has been brought forward.</source>
        <translation>Parlona Control draait al; het venster is naar voren gehaald.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>No session bus to reach Parlona Control on: %1</source>
        <translation>Geen sessiebus om Parlona Control via te bereiken: %1</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Parlona Control is not running.</source>
        <translation>Parlona Control draait niet.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>one without a unit</source>
        <translation>een zonder eenheid</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Parlona Control runs for several units (%1): choose one with --unit.</source>
        <translation>Parlona Control draait voor meerdere eenheden (%1): kies er een met --unit.</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>No answer from the module</source>
        <translation>Geen antwoord van de module</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The call was not placed</source>
        <translation>Het gesprek is niet opgezet</translation>
    </message>
</context>
<context>
    <name>RemoteControl</name>
    <message>
        <location filename="../src/remote/RemoteControl.cpp" line="+164"/>
        <source>dial %1</source>
        <translation>%1 bellen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>answer</source>
        <translation>aannemen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>hang up</source>
        <translation>ophangen</translation>
    </message>
    <message>
        <location line="+117"/>
        <location line="+50"/>
        <source>Remote control (%1): %2</source>
        <translation>Afstandsbediening (%1): %2</translation>
    </message>
    <message>
        <location line="-44"/>
        <source>this program</source>
        <translation>dit programma</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>process %1</source>
        <translation>proces %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1, process %2</source>
        <translation>%1, proces %2</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Remote control: %1 further requests refused</source>
        <translation>Afstandsbediening: nog %1 verzoeken geweigerd</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 (repeated %2 times)</source>
        <translation>%1 (%2 keer herhaald)</translation>
    </message>
</context>
<context>
    <name>ScreeningServer</name>
    <message>
        <location filename="../src/web/ScreeningServer.cpp" line="+178"/>
        <source>The certificate or its key cannot be read</source>
        <translation>Het certificaat of de sleutel ervan kan niet worden gelezen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Cannot listen on %1 port %2</source>
        <translation>Kan niet luisteren op %1 poort %2</translation>
    </message>
</context>
<context>
    <name>ScreeningService</name>
    <message>
        <location filename="../src/web/ScreeningService.cpp" line="+64"/>
        <source>No password is set</source>
        <translation>Er is geen wachtwoord ingesteld</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No address to listen on</source>
        <translation>Geen adres om op te luisteren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>HTTPS needs both a certificate and its key</source>
        <translation>HTTPS heeft zowel een certificaat als de sleutel ervan nodig</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The page cannot be served</source>
        <translation>De pagina kan niet worden aangeboden</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Not served: %1</source>
        <translation>Niet aangeboden: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Screening page: %1</source>
        <translation>Screeningpagina: %1</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Served at %1</source>
        <translation>Aangeboden op %1</translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+8"/>
        <source>Off</source>
        <translation>Uit</translation>
    </message>
    <message>
        <location line="+120"/>
        <source>dial %1</source>
        <translation>%1 bellen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>answer</source>
        <translation>aannemen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>decline</source>
        <translation>weigeren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>hang up</source>
        <translation>ophangen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Screening page (%1): %2</source>
        <translation>Screeningpagina (%1): %2</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>A note is longer than %1 characters</source>
        <translation>Een notitie is langer dan %1 tekens</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No call to write notes for</source>
        <translation>Geen gesprek om notities bij te schrijven</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>No name to save</source>
        <translation>Geen naam om op te slaan</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+8"/>
        <source>No caller&apos;s number to save the name with</source>
        <translation>Geen nummer van de beller om de naam bij op te slaan</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The number is in the phonebook already as %1</source>
        <translation>Het nummer staat al in het telefoonboek als %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Screening page (%1): %2 saved to the phonebook as %3</source>
        <translation>Screeningpagina (%1): %2 als %3 in het telefoonboek opgeslagen</translation>
    </message>
</context>
<context>
    <name>ScreeningSettingsForm</name>
    <message>
        <location filename="../src/web/ScreeningSettingsForm.cpp" line="+21"/>
        <source>Serve the screening page for the producer</source>
        <translation>De screeningpagina voor de producer aanbieden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Set password</source>
        <translation>Wachtwoord instellen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Apply</source>
        <translation>Toepassen</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>The addresses of this computer to listen on, separated by commas: 127.0.0.1 for this computer only, or the address on the studio&apos;s network</source>
        <translation>De adressen van deze computer om op te luisteren, gescheiden door komma&apos;s: 127.0.0.1 voor alleen deze computer, of het adres op het netwerk van de studio</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>PEM file; empty for plain HTTP</source>
        <translation>PEM-bestand; leeg voor gewoon HTTP</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Password:</source>
        <translation>Wachtwoord:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Port:</source>
        <translation>Poort:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Addresses:</source>
        <translation>Adressen:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>HTTPS certificate:</source>
        <translation>HTTPS-certificaat:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>HTTPS key:</source>
        <translation>HTTPS-sleutel:</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>A password is set.</source>
        <translation>Er is een wachtwoord ingesteld.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No password is set: the page is not served.</source>
        <translation>Er is geen wachtwoord ingesteld: de pagina wordt niet aangeboden.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Keeping the password...</source>
        <translation>Wachtwoord bewaren...</translation>
    </message>
</context>
<context>
    <name>ScreeningTexts</name>
    <message>
        <location filename="../src/web/ScreeningTexts.cpp" line="+9"/>
        <source>en</source>
        <comment>the language code of the screening page</comment>
        <translation>nl</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Call screening</source>
        <translation>Bellers screenen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Password</source>
        <translation>Wachtwoord</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Log in</source>
        <translation>Inloggen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Log out</source>
        <translation>Uitloggen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Wrong password</source>
        <translation>Verkeerd wachtwoord</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too many attempts: try again in %1 s</source>
        <translation>Te veel pogingen: probeer het over %1 s opnieuw</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Connected</source>
        <translation>Verbonden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not connected</source>
        <translation>Niet verbonden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SIM</source>
        <translation>Simkaart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Signal</source>
        <translation>Signaal</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Idle</source>
        <translation>Vrij</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ringing</source>
        <translation>Gaat over</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Calling</source>
        <translation>Bellen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>On air</source>
        <translation>In de uitzending</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Module not answering</source>
        <translation>Module antwoordt niet</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Withheld number</source>
        <translation>Afgeschermd nummer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not in the phonebook</source>
        <translation>Niet in het telefoonboek</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Called %1 times before, last on %2</source>
        <translation>Belde al %1 keer eerder, laatst op %2</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>First call from this number</source>
        <translation>Eerste gesprek van dit nummer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Answer</source>
        <translation>Aannemen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Decline</source>
        <translation>Weigeren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Hang up</source>
        <translation>Ophangen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dial</source>
        <translation>Bellen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Notes for the presenter</source>
        <translation>Notities voor de presentator</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Caller&apos;s name</source>
        <translation>Naam van de beller</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Place</source>
        <translation>Woonplaats</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Topic</source>
        <translation>Onderwerp</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ready for air</source>
        <translation>Klaar voor de uitzending</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save notes</source>
        <translation>Notities opslaan</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Notes saved</source>
        <translation>Notities opgeslagen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save name to phonebook</source>
        <translation>Naam in telefoonboek opslaan</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Saved to the phonebook</source>
        <translation>In het telefoonboek opgeslagen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No connection with the program</source>
        <translation>Geen verbinding met het programma</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Logged out</source>
        <translation>Uitgelogd</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Refused</source>
        <translation>Geweigerd</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ready</source>
        <translation>gereed</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PIN needed</source>
        <translation>pincode nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PUK needed</source>
        <translation>PUK-code nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PIN2 needed</source>
        <translation>PIN2-code nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PUK2 needed</source>
        <translation>PUK2-code nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>network PIN needed</source>
        <translation>netwerk-pincode nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>network PUK needed</source>
        <translation>netwerk-PUK-code nodig</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>unknown</source>
        <translation>onbekend</translation>
    </message>
</context>
<context>
    <name>SessionAutostart</name>
    <message>
        <location filename="../src/remote/SessionAutostart.cpp" line="+68"/>
        <source>%1 could not be removed</source>
        <translation>%1 kon niet worden verwijderd</translation>
    </message>
</context>
<context>
    <name>StationDatabase</name>
    <message>
        <location filename="../src/station/StationDatabase.cpp" line="+25"/>
        <source>The station database password could not be read: %1</source>
        <translation>Het wachtwoord van de database van de omroep kon niet gelezen worden: %1</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>the secret store did not answer</source>
        <translation>de wachtwoordkluis antwoordde niet</translation>
    </message>
</context>
<context>
    <name>StationMoveActions</name>
    <message>
        <location filename="../src/station/StationMoveActions.cpp" line="+27"/>
        <source>Move to the station server</source>
        <translation>Naar de stationsserver verplaatsen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The program uses the station server already.</source>
        <translation>Het programma gebruikt de stationsserver al.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fill in the station server under Settings, &quot;Phonebook and history&quot;, first. %1</source>
        <translation>Vul eerst de stationsserver in onder Instellingen, &quot;Telefoonboek en geschiedenis&quot;. %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Copy this computer&apos;s phonebook and call history to the station database %1?

Contacts whose number the station knows already, and calls it holds already, are left out. This computer&apos;s file stays as it is. The program uses the station server from its next start.</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis van deze computer naar de stationsdatabase %1 kopiëren?

Contacten waarvan het station het nummer al kent, en gesprekken die het al heeft, worden overgeslagen. Het bestand van deze computer blijft zoals het is. Het programma gebruikt de stationsserver vanaf de volgende start.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Move to this computer</source>
        <translation>Naar deze computer verplaatsen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The program uses this computer&apos;s file already.</source>
        <translation>Het programma gebruikt het bestand van deze computer al.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Copy the station&apos;s phonebook and the calls taken in %1 to this computer&apos;s file %2?

Contacts whose number the file knows already, and calls it holds already, are left out. The station&apos;s database stays as it is. The program uses this computer&apos;s file from its next start.</source>
        <translation>Het telefoonboek van het station en de gesprekken van %1 naar het bestand %2 van deze computer kopiëren?

Contacten waarvan het bestand het nummer al kent, en gesprekken die het al heeft, worden overgeslagen. De database van het station blijft zoals hij is. Het programma gebruikt het bestand van deze computer vanaf de volgende start.</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Copied %1 contacts and %2 calls. Left out: %3 contacts whose number was known already, and %4 calls that were there already.

The program uses %5 from its next start.</source>
        <translation>%1 contacten en %2 gesprekken gekopieerd. Overgeslagen: %3 contacten waarvan het nummer al bekend was, en %4 gesprekken die er al waren.

Het programma gebruikt %5 vanaf de volgende start.</translation>
    </message>
    <message>
        <location line="-24"/>
        <source>Copying the phonebook and the call history...</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis worden gekopieerd...</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Nothing was copied or changed: %1</source>
        <translation>Er is niets gekopieerd of veranderd: %1</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>the station server</source>
        <translation>de stationsserver</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>this computer&apos;s file</source>
        <translation>het bestand van deze computer</translation>
    </message>
</context>
<context>
    <name>StationServerProbe</name>
    <message>
        <location filename="../src/station/StationServerProbe.cpp" line="+18"/>
        <source>Qt&apos;s PostgreSQL driver (QPSQL) is not installed on this computer.</source>
        <translation>Het PostgreSQL-stuurprogramma van Qt (QPSQL) is niet geïnstalleerd op deze computer.</translation>
    </message>
</context>
<context>
    <name>StationSettings</name>
    <message>
        <location filename="../src/station/StationSettings.cpp" line="+43"/>
        <source>Enter the name or address of the station database server.</source>
        <translation>Vul de naam of het adres van de databaseserver van de omroep in.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The port must be a number from 1 to 65535.</source>
        <translation>De poort moet een getal van 1 tot en met 65535 zijn.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Enter the name of the database on the server.</source>
        <translation>Vul de naam van de database op de server in.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Enter the user name for the server.</source>
        <translation>Vul de gebruikersnaam voor de server in.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Unknown encryption mode &quot;%1&quot;.</source>
        <translation>Onbekende versleutelingsmodus &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>StationSettingsForm</name>
    <message>
        <location filename="../src/station/StationSettingsForm.cpp" line="+22"/>
        <source>This computer</source>
        <translation>Deze computer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Station database server</source>
        <translation>Databaseserver van de omroep</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Test connection</source>
        <translation>Verbinding testen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Apply</source>
        <translation>Toepassen</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>The name or address of the station&apos;s PostgreSQL server</source>
        <translation>De naam of het adres van de PostgreSQL-server van de omroep</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>The name this studio&apos;s calls and notes carry on the shared server</source>
        <translation>De naam waaronder de oproepen en notities van deze studio op de gedeelde server staan</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Server:</source>
        <translation>Server:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Port:</source>
        <translation>Poort:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Database:</source>
        <translation>Database:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>User:</source>
        <translation>Gebruiker:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Password:</source>
        <translation>Wachtwoord:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Encryption:</source>
        <translation>Versleuteling:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Studio name:</source>
        <translation>Studionaam:</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Keep the phonebook and the call history on:</source>
        <translation>Het telefoonboek en de gespreksgeschiedenis bewaren op:</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Off</source>
        <translation>Uit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Only when the server asks for it</source>
        <translation>Alleen als de server erom vraagt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>When the server offers it</source>
        <translation>Als de server het aanbiedt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always, without checking the server&apos;s certificate</source>
        <translation>Altijd, zonder het certificaat van de server te controleren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always, with a certificate from a trusted authority</source>
        <translation>Altijd, met een certificaat van een vertrouwde uitgever</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always, with a trusted certificate for this server name</source>
        <translation>Altijd, met een vertrouwd certificaat voor deze servernaam</translation>
    </message>
    <message>
        <location line="+59"/>
        <source>Saved. The program uses it from its next start.</source>
        <translation>Opgeslagen. Het programma gebruikt dit vanaf de volgende start.</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Connecting to %1...</source>
        <translation>Verbinden met %1...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Connected: PostgreSQL %1</source>
        <translation>Verbonden: PostgreSQL %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not connected: %1</source>
        <translation>Niet verbonden: %1</translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+23"/>
        <source>(unchanged)</source>
        <translation>(ongewijzigd)</translation>
    </message>
    <message>
        <location line="-21"/>
        <source>The stored password could not be read from the desktop&apos;s secret store: %1</source>
        <translation>Het bewaarde wachtwoord kon niet uit de wachtwoordkluis van het bureaublad worden gelezen: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Saved, but the password could not be stored in the desktop&apos;s secret store: %1. It is not kept anywhere else; the program cannot log in to the server without it.</source>
        <translation>Opgeslagen, maar het wachtwoord kon niet in de wachtwoordkluis van het bureaublad worden bewaard: %1. Het wordt nergens anders bewaard; zonder wachtwoord kan het programma niet bij de server inloggen.</translation>
    </message>
</context>
<context>
    <name>StudioTray</name>
    <message>
        <location filename="../src/remote/StudioTray.cpp" line="+34"/>
        <source>Show Parlona Control</source>
        <translation>Parlona Control tonen</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Parlona Control: not connected</source>
        <translation>Parlona Control: niet verbonden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Parlona Control: connected</source>
        <translation>Parlona Control: verbonden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Parlona Control: a call is ringing</source>
        <translation>Parlona Control: er gaat een gesprek over</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Parlona Control: call on air</source>
        <translation>Parlona Control: gesprek in de uitzending</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Incoming call</source>
        <translation>Inkomend gesprek</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Missed call</source>
        <translation>Gemist gesprek</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 at %2</source>
        <translation>%1 om %2</translation>
    </message>
</context>
<context>
    <name>VirtualHybridPanel</name>
    <message>
        <location filename="../src/virtualhybrid/VirtualHybridPanel.ui" line="+14"/>
        <source>Virtual Hybrid</source>
        <translation>Virtuele hybride</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Unit:</source>
        <translation>Apparaat:</translation>
    </message>
    <message>
        <location line="+20"/>
        <location filename="../src/virtualhybrid/VirtualHybridPanel.cpp" line="+134"/>
        <source>Unplug</source>
        <translation>Loskoppelen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Pull the USB cable out, or plug it back in</source>
        <translation>Trek de USB-kabel eruit, of steek hem weer in</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Idle</source>
        <translation>Vrij</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Calls</source>
        <translation>Gesprekken</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Caller:</source>
        <translation>Beller:</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>empty: number withheld</source>
        <translation>leeg: nummer afgeschermd</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Incoming call</source>
        <translation>Inkomend gesprek</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Outgoing:</source>
        <translation>Uitgaand:</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>answered after</source>
        <translation>aangenomen na</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>busy after</source>
        <translation>in gesprek na</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>not answered after</source>
        <translation>niet aangenomen na</translation>
    </message>
    <message>
        <location line="+8"/>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Far end answers</source>
        <translation>Andere kant neemt op</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Far end hangs up</source>
        <translation>Andere kant hangt op</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Network and SIM</source>
        <translation>Netwerk en simkaart</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Signal:</source>
        <translation>Signaal:</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>No network</source>
        <translation>Geen netwerk</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>SIM:</source>
        <translation>Simkaart:</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>ready, no PIN</source>
        <translation>gereed, geen pincode</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>PIN locked</source>
        <translation>pincode vergrendeld</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>PUK locked</source>
        <translation>PUK vergrendeld</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>missing</source>
        <translation>ontbreekt</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>PIN / PUK:</source>
        <translation>PIN / PUK:</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>Caller presses</source>
        <translation>Beller drukt</translation>
    </message>
    <message>
        <location line="+168"/>
        <source>Unit</source>
        <translation>Apparaat</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Auto answer</source>
        <translation>Automatisch aannemen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Never answers a store</source>
        <translation>Bevestigt opslaan nooit</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>GSM module stops answering</source>
        <translation>GSM-module antwoordt niet meer</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Sends corrupt frames</source>
        <translation>Stuurt beschadigde frames</translation>
    </message>
    <message>
        <location filename="../src/virtualhybrid/VirtualHybridPanel.cpp" line="-24"/>
        <source>No virtual unit</source>
        <translation>Geen virtueel apparaat</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Plug in</source>
        <translation>Aansluiten</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>no network</source>
        <translation>geen netwerk</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1 (%2 dBm)</source>
        <translation>%1 (%2 dBm)</translation>
    </message>
    <message>
        <location line="+31"/>
        <source> · USB open</source>
        <translation> · USB open</translation>
    </message>
    <message>
        <location line="+0"/>
        <source> · USB not open</source>
        <translation> · USB niet open</translation>
    </message>
    <message>
        <location line="+2"/>
        <source> · identifying</source>
        <translation> · identificeert</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Frames in %1 (bad %2), out %3 (lost %4); stores %5</source>
        <translation>Frames in %1 (fout %2), uit %3 (verloren %4); opslagen %5</translation>
    </message>
</context>
<context>
    <name>VirtualHybridUnit</name>
    <message>
        <location filename="../src/virtualhybrid/VirtualHybridUnit.cpp" line="+739"/>
        <source>Unplugged</source>
        <translation>Losgekoppeld</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Rebooting</source>
        <translation>Herstart</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>a withheld number</source>
        <translation>een afgeschermd nummer</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Dialling %1</source>
        <translation>Belt %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Ringing at %1</source>
        <translation>Gaat over bij %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Incoming call from %1</source>
        <translation>Inkomend gesprek van %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>In call with %1</source>
        <translation>In gesprek met %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Idle</source>
        <translation>Vrij</translation>
    </message>
</context>
</TS>
