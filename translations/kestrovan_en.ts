<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>RunAction</name>
    <message>
        <source>An unexpected error occurred.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormAboutKestrovan</name>
    <message>
        <source>About...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brenquistal Kestrovan Plug-In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version 1.0.1.045</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Named client lists, invitations and confirmations,
and one-off deliveries scheduled from them.

Built for the volunteers and staff who keep the meals coming.
Questions and suggestions: your Brenquistal administrator.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormListFulfillmentOptions</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormMessageBox</name>
    <message>
        <source>Saving data. Please do not interrupt!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total Clients:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brenquistal</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormRegistryEditor</name>
    <message>
        <source>Database location:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Location:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shared Ini Directory:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server IP Address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Locate Brenquistal Data Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brenquistal Data Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operation Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Client-Server Engine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ServerType:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::DateField</name>
    <message>
        <source>Choose the date from a calendar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>e.g. %1 or %2</source>
        <extracomment>%1 today in the short form, %2 the same in ISO form</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is not a date. Type it as %1 or %2, or choose it from the calendar.</source>
        <extracomment>%1 today in the short form, %2 the same in ISO form</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::QtPrompts</name>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brenquistal</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
