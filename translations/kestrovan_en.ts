<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AcceptedDates</name>
    <message>
        <source>a real date from 1900-01-01 to 9999-12-31, written YYYY-MM-DD</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AddMembers</name>
    <message>
        <source>Succesfully added </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> new members to the list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There were no new names to add.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That person is already a member of this list!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a client status to add. No names were added.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a delivery service to add. No names were added.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a client to add. No names were added.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CancelPendingDeliveries</name>
    <message>
        <source>Delete all pending deliveries to this list&apos;s members?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This list has not been saved yet, so it has no pending deliveries to cancel. Please save the list first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 pending deliveries of %2 cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ConfirmedFilter</name>
    <message>
        <source>Filter: None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter: Confirmed is Checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter: Confirmed is Not Checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter: Confirmed is Unknown</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>The database file %1 is on a network share, and another workstation has it open in WAL mode, which SQLite cannot use safely over a network. Nothing was written.

Close the program on the workstation that opened this data location from its local disk (or give every workstation the same network path), then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking the %1 database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The table %1 is missing from the %2 database.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeleteList</name>
    <message>
        <source>Delete the selected list and all list members?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EditConflict</name>
    <message>
        <source>Another user changed %1 after you read it:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another user removed %1 after you read it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is now %2 (yours: %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>... and %1 more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a record of %1 (%2 %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImportMembers</name>
    <message>
        <source>Line %1 holds a NUL character; the file is not a text file of ids.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line %1 opens a quoted field that is never closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is empty: it needs a header line naming the column of client ids.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>column headed Client_ID or Person_ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>column headed &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file has no %1; its header line reads: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The list no longer exists; another user may have deleted it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Person_ID %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 matches %2 clients: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Added %1, already members %2, not found %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, shared by several clients %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (the first %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Not found%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Not added, shared by several clients%1:
  %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ListFulfilment</name>
    <message>
        <source>Error locating the List using the List ID!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There were no records matching your fulfillment specifications.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please confirm that you would like to fulfill this list of </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> member(s)!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scheduling Deliveries...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total Deliveries: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the service to use: the client&apos;s own service or a selected one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the item to deliver.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the delivery date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> of these </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> members already have a delivery from this list on </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>. Schedule them again?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All %1 members already have a delivery from this list on %2. Nothing was scheduled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 deliveries scheduled for %2 on %3, %4 members skipped.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ListLock</name>
    <message>
        <source>This list no longer exists: another user may have deleted it. Close the window and open it again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ListsWindowState</name>
    <message>
        <source>Read the lists again from the database?

Yes shows the values stored now and discards your change.
No keeps your change; Post then writes it over the other user&apos;s values.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MemberFlags</name>
    <message>
        <source>Check the Confirmed mark of all %1 members of the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the Confirmed mark of all %1 members of the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the Invited mark of all %1 members of the list?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MemberLoadSave</name>
    <message>
        <source>the member %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the client %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read the list again from the database?

Yes shows the values stored now and discards your unsaved changes to this list.
No keeps your changes on screen; saving them again writes them over the other user&apos;s values.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MemberReports</name>
    <message>
        <source>Save your changes before printing the report?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not locate the report template file:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PgDriver</name>
    <message>
        <source>The connection to the database server was lost. %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PostgresBackend</name>
    <message>
        <source>The server at %1 could not prove that it is the database server: its certificate does not verify against the root certificate %2. The connection was refused.

%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server at %1 offers no TLS, and &quot;Internet&quot; talks to a server only over TLS. The connection was refused.

%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The root certificate %1, which &quot;Internet&quot; verifies the server against, does not exist. The connection was refused: without it the server cannot be told from one that merely poses as it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting to the %1 database on %2:%3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PrivateTempFolder</name>
    <message>
        <source>%1 (not a folder)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No private temporary folder can be made; tried: %1. Set TMPDIR (TEMP on Windows) to a folder this user can write to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no temporary folder exists</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QPrintPreviewDialog</name>
    <message>
        <source>Print</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Registry</name>
    <message>
        <source>The settings file %1 cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid data type for &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RemoveMembers</name>
    <message>
        <source>Remove the selected member from the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove the selected members from the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove all members from the list?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReportData</name>
    <message>
        <source>The report data source &quot;%1&quot; needs the table %2, which this database does not have.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no report data source &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunAction</name>
    <message>
        <source>An unexpected error occurred.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SqlBackend</name>
    <message>
        <source>A text holding the character %1 cannot be stored: it is no character of any text, and the database would not give it back as written. Remove it from: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SqliteBackend</name>
    <message>
        <source>Opening the %1 database at %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No directory is set for the database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The directory %1 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a database file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The database file %1 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDataModuleLists</name>
    <message>
        <source>The Brenquistal database has not been defined. The application can not continue. Brenquistal will now terminate...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Brenquistal database:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>does not appear to be valid. Brenquistal will now terminate...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The &quot;Server IP&quot; setting is empty: client-server mode needs the address of the database server. Nothing was opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the list &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting to the Brenquistal database server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Making a private folder for the %1 database</source>
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
    <name>TFormAddListMembers</name>
    <message>
        <source>Select an addition method</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select the clients&apos; DeliveryType</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invited checkbox should be populated with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirmed checkbox should be populated with</source>
        <translation type="unfinished"></translation>
    </message>
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
    <name>TFormClientEditor</name>
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
    <name>TFormGetQuantity</name>
    <message>
        <source>Selected List Members Quantity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set the Quantity of the selected records to:</source>
        <translation type="unfinished"></translation>
    </message>
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
    <name>TFormHideDeliveryDays</name>
    <message>
        <source>Select days to hide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide any list members who have the following delivery days checked:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Client Delivery Days</source>
        <translation type="unfinished"></translation>
    </message>
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
    <name>TFormListFulfillmentOptions</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List Fulfillment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a list to which to deliver:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delivery Date:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Include only currently Active clients</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected Item:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormListMembers</name>
    <message>
        <source>List Members</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save your changes before closing the window?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the window without saving your changes?

Yes closes it and discards them.
No keeps the window open with your changes; saving them again writes them over the other user&apos;s values.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the window without saving your changes?

Yes closes it and discards them.
No keeps the window open with your changes, to save them again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Members: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter: None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Visible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Client ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>City</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invited</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirmed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dependent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Household Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delivery Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default Route</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Friday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date Added</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date Added (recent first)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove selected names from list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove all names from list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy selected names to another list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check all Invited checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear all Invited checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check selected Confirmed checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check all Confirmed checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear selected Confirmed checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear all Confirmed checkmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Selected Quantities</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter list to Confirmed status is checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter list to Confirmed status is not checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter list to Confirmed status is unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide specified delivery days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide selected names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make all names visible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Client Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Complete Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address Labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manage Members</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manage Checkmarks and Visibility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filtered Reports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add names to list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some of your changes could not be shown again: the list could not be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Searches the sort column (Ctrl+S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 hidden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Label Stock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>30 to a sheet, 1 x 2 5/8 in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10 to a sheet, 2 x 4 in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>14 to a sheet, 1 1/3 x 4 in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Label Alignment Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One page with every label cell of the chosen sheet outlined and numbered, to hold against a sheet of labels before printing on it</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFormLists</name>
    <message>
        <source>Lists Maintenance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kestrovan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save your changes before closing this window?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save your changes to the list before editing the members?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fulfill</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Members</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel Pendg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Utilities</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Assigned~Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updated~By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Created</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updated</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add to existing members</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace existing members</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browsing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Editing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inserting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description/Use:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default Member Add Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default Fulfillment Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fulfill only to clients active at time of fullfillment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Specified Quantity and Item:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edited/Updated By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Item</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse</source>
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
    <name>TFormSaveToNewList</name>
    <message>
        <source>Save to Another List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save your changes to the list before navigating?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error locating the list by Record ID!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save your changes to the List before closing?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Existing List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter a Name and Description for the list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List Name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description/Use:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default Fulfillment Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fulfill only to clients active at time of fulfillment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Specified Quantity and Item:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Save Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invited Checkbox status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave checkbox status as is</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checkbox should be populated as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirmed checkbox status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave checkbox as is</source>
        <translation type="unfinished"></translation>
    </message>
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
    <name>UnitOfWork</name>
    <message>
        <source>Nothing was written: the data is as it was before.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection to the database server was lost after everything was written: the server, asked again, confirms that the changes were saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection to the database server was lost just as the changes were being saved, and the server could not be asked afterwards whether it saved them: whether anything was written is unknown. Look at the list&apos;s members and its pending deliveries before you try again; running the operation again without looking may do its work twice.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A part of the operation failed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Visibility</name>
    <message>
        <source>Monday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Friday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::ConfirmedCheckBox</name>
    <message>
        <source>Checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unchecked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
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
    <name>kv::FulfilmentDefaultsPanel</name>
    <message>
        <source>Confirmed Checkbox should be</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unchecked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Irrelevant</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service to Use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Client&apos;s Own Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected Service:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Items to Deliver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Defaults for the service to be used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Item</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::MembersGrid</name>
    <message>
        <source>Edit Client Info</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::MembersHeader</name>
    <message>
        <source>%1: Ctrl+I checks or clears the current member&apos;s mark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: Ctrl+C moves the current member&apos;s mark from unknown to checked to not checked</source>
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
<context>
    <name>kv::RecordNavigator</name>
    <message>
        <source>Move to first record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move to prior record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move to next record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move to last record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert new record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Post changes of current record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel changes made to current record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move backward 10 records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move forward 10 records</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kv::TFormClientLookup</name>
    <message>
        <source>Lookup a Client</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last_First</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>City</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>State</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZIP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Client ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
