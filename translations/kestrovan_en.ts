<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
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
    <name>QPrintPreviewDialog</name>
    <message>
        <source>Print</source>
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
