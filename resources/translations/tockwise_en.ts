<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>ClockSettingsPanel</name>
    <message>
        <location filename="../ClockWindow.ui" line="+6"/>
        <source>Clock Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Time zone:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+24"/>
        <source>Local time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <location line="+58"/>
        <location line="+216"/>
        <source>Choose…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-271"/>
        <source>Choose the time zone the clock shows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Choose time zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Alternate zone:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+24"/>
        <location line="+198"/>
        <location line="+105"/>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-293"/>
        <source>Choose the time zone of the alternate hand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Choose alternate zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Face</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Size:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The size of the clock, in points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source> pt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Digital clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Face color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+260"/>
        <location line="+79"/>
        <location line="+40"/>
        <location line="+40"/>
        <location line="+125"/>
        <source>Click to choose a color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-519"/>
        <source>Opacity:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Draw border</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Use face picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Picture:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Choose a picture to show as the clock face</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Choose face picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Calibrate Hands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Then drag on the clock from where the hands turn to the edge of the dial</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Reset Hands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Center the hands on the picture again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+25"/>
        <source>Marks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Hour marks:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Hour marks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Dots</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Roman numerals</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Arabic numerals</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Minute marks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Mark color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+43"/>
        <source>24-hour dial</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Hands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Hand color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Second hand color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Alternate hand color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Show seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Fade hands with the face</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Give the hands, marks and texts the opacity of the face</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Texts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Show date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Day of the month only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Show weekday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Show AM/PM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Show time zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Text color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+59"/>
        <source>Remove Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Remove this clock and its settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../../src/app/CommandLine.cpp" line="+26"/>
        <source>Clocks that float on your desktop.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>zone</source>
        <extracomment>The name of the argument in the help, as --new-clock&apos;s description calls it.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+77"/>
        <source>No time zone, city or country is called &quot;%1&quot;. Name another, or give a zone identifier such as Europe/Paris.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Name one of these zones, or give its identifier such as Europe/Paris.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-99"/>
        <source>With --new-clock: a zone such as Europe/Paris, or its city or country, such as &quot;new york&quot; or Japan.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>[zone]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Adds a clock for ZONE (a local clock without ZONE), starting Tockwise first where none runs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Switches click-through on, off or over (toggle).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Starts Tockwise at login, or not.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Prints the running instance&apos;s clocks: settings file, zone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Asks the running instance to quit, saving every clock.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Unexpected argument &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>--new-clock takes one zone at most.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>--click-through takes on, off or toggle, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>--autostart takes on or off, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+31"/>
        <source>&quot;%1&quot; could be any of these time zones:</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <location line="+9"/>
        <source>  and %n more</source>
        <extracomment>Ends a list of time zones cut short; %n is the number of those left out.</extracomment>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DisplayPlatform</name>
    <message>
        <location filename="../../src/app/DisplayPlatform.cpp" line="+80"/>
        <source>This Wayland session has no XWayland, so Tockwise runs on Wayland itself: clocks open where the compositor puts them rather than where you left them, and cannot be kept above or below other windows or shown on every workspace. Install XWayland (Debian&apos;s package xwayland) for clocks that stay in place.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>tockwise: this Wayland session has no XWayland, and Qt&apos;s Wayland platform is not installed: install Debian&apos;s package qt6-wayland (or xwayland).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>tockwise: there is no display to show clocks on: neither WAYLAND_DISPLAY nor DISPLAY is set.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NewClockPanel</name>
    <message>
        <location filename="../NewClockPanel.ui" line="+14"/>
        <source>New Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Choose the time zone of the new clock, or none for a clock that follows this computer&apos;s zone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Clear</source>
        <translation type="unfinished">Clear</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Create</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PrivateFiles</name>
    <message>
        <location filename="../../src/store/PrivateFiles.cpp" line="+96"/>
        <source>it is a symbolic link, which is left as it is</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PropertyListFile</name>
    <message>
        <location filename="../../src/store/PropertyListFile.cpp" line="+232"/>
        <source>the file is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+57"/>
        <source>the file is too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-52"/>
        <source>it holds too many values or nests them too deeply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>it is not a property list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>its root is not a dictionary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>it holds values that are not settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>it is not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the file changed while it was read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the settings could not be put in a readable form</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RenderCommand</name>
    <message>
        <location filename="../../src/app/RenderCommand.cpp" line="+78"/>
        <source>Draws one frame of a clock into a PNG file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>file.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With --render: the clock&apos;s settings file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>file.tkw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With --render: sets one clock setting (repeatable): true/false, a number, #rrggbb[aa] for a colour, a file for TKWFaceImage, or text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>KEY=VALUE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With --render: the instant shown, ISO 8601 with an offset or Z.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>instant</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With --render: the device pixel ratio (default 1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>factor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>--%1 works only with --render</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+105"/>
        <source>--%1 is given more than once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>--render needs the path of the PNG file to write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-69"/>
        <source>cannot read the settings file %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>cannot draw the settings file %1: its %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+26"/>
        <source>--time takes an ISO 8601 instant with an offset or Z, such as 2026-12-06T10:10:30Z, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>--scale takes a number from 0.25 to 16, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingArgument</name>
    <message>
        <location filename="../../src/settings/SettingArgument.cpp" line="+107"/>
        <source>&quot;%1&quot; is not of the form KEY=VALUE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>%1 takes %2, not &quot;%3&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-9"/>
        <source>%1 takes a picture file; there is none at &quot;%2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SpokenClock</name>
    <message>
        <location filename="../../src/clockview/SpokenClock.cpp" line="+44"/>
        <source>Clock, local time</source>
        <extracomment>What a screen reader calls a clock that follows this computer&apos;s time zone.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Clock, %1</source>
        <extracomment>What a screen reader calls a clock: %1 is the city of its time zone, such as Tokyo, or the zone&apos;s name where it has no city (UTC).</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1, %2</source>
        <extracomment>What a screen reader says of a clock&apos;s time: %1 the time of day (10:42), %2 the weekday and the date (Monday, 7 December).</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1; %2 in %3</source>
        <extracomment>What a screen reader says of a clock with a hand for a second time zone: %1 the clock&apos;s own time and date, %2 the time in the second zone (1:42 AM), %3 its city.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <location filename="../../src/app/StringTable.cpp" line="+15"/>
        <source>LastClockTitle</source>
        <extracomment>Message of the alert shown before the last clock is removed.</extracomment>
        <translation>Remove the last clock?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>LastClockWarning</source>
        <extracomment>Informative text of that alert.</extracomment>
        <translation>This is your only clock. Removing it deletes its settings and quits Tockwise.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Yes</source>
        <extracomment>The button that removes the last clock.</extracomment>
        <translation>Yes</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No</source>
        <extracomment>The button that keeps the last clock.</extracomment>
        <translation>No</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ClickThroughWarning</source>
        <extracomment>Shown once, when click-through is first switched on.</extracomment>
        <translation>Clicks now pass through your clocks to the windows beneath, so the clocks can’t be moved or set up. To switch this off, click the Tockwise icon in the status bar, or run “tockwise --click-through off”.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>OK</source>
        <extracomment>Closes the click-through explanation.</extracomment>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Click here to cancel Tockwise&apos;s click-through feature.</source>
        <extracomment>Tool tip of the status-bar icon while click-through is on.</extracomment>
        <translation>Click here to switch off click-through.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Region</source>
        <extracomment>Title of the first column of the zone browser of the New Clock panel.</extracomment>
        <translation>Region</translation>
    </message>
</context>
<context>
    <name>UserDefaults</name>
    <message>
        <location filename="../../src/store/UserDefaults.cpp" line="+204"/>
        <source>the unreadable file there could not be moved aside</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../../src/app/main.cpp" line="+245"/>
        <source>Tockwise is not running.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::ClockSettingsPanel</name>
    <message>
        <location filename="../../src/window/ClockSettingsPanel.cpp" line="+23"/>
        <source>Clock Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+41"/>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Picture not found: %1</source>
        <extracomment>In place of the face picture&apos;s path when its file is found nowhere.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::ColumnBrowser</name>
    <message>
        <location filename="../../src/widgets/ColumnBrowser.cpp" line="+263"/>
        <source>Column %1</source>
        <extracomment>What a screen reader calls a column of the time zone browser that shows nothing.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::QZTimeZonePanel</name>
    <message>
        <location filename="../../src/tzpanel/QZTimeZonePanel.cpp" line="+58"/>
        <source>Time Zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Region</source>
        <extracomment>Title of the first column of the time zone browser.</extracomment>
        <translation>Region</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Time zones</source>
        <extracomment>What a screen reader calls the time zone browser, which has no label.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>OK</source>
        <extracomment>Confirms the zone chosen.</extracomment>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cancel</source>
        <extracomment>Closes the panel, nothing changed.</extracomment>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="-31"/>
        <source>Local</source>
        <extracomment>Button of the time zone panel: the clock follows the computer&apos;s time zone.</extracomment>
        <translation>Local</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>tockwise::SettingKinds</name>
    <message>
        <location filename="../../src/settings/SettingKinds.cpp" line="+135"/>
        <source>a whole number of points from %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>0 (no hour marks), 1 (dots), 2 (Roman numerals) or 3 (Arabic numerals)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the dial&apos;s radius as a fraction of the picture&apos;s width, such as 0.25 (0: half the picture&apos;s smaller side)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>a time zone such as Europe/Paris or UTC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>true or false</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>a number from %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>a colour as #rrggbb or #rrggbbaa</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>a picture file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>the dial&apos;s centre as {x, y}, each a fraction of the face from 0 to 1, such as {0.5, 0.5}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>%1 takes %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>there is no clock setting named &quot;%1&quot;; did you mean %2?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>there is no clock setting named &quot;%1&quot;; the settings are %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::SingleInstance</name>
    <message>
        <location filename="../../src/instance/SingleInstance.cpp" line="+88"/>
        <source>cannot create %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>cannot examine %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 is not a directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 belongs to another user</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is open to other users</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+58"/>
        <source>The command line is too long.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No private folder for the instance socket: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The socket path %1 is too long.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Another start of Tockwise holds %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Cannot reach the running Tockwise: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Cannot listen on %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+53"/>
        <source>The running Tockwise did not answer in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-1"/>
        <source>The running Tockwise closed the connection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The running Tockwise gave an answer that makes no sense.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+83"/>
        <source>Tockwise is not ready yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The answer is too long to pass on.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::TKWController</name>
    <message>
        <location filename="../../src/app/TKWControllerMenu.cpp" line="+41"/>
        <source>New Clock…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Remove Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Click-Through</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Keep on Desktop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Show on All Workspaces</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Start at Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-52"/>
        <location line="+59"/>
        <source>About Tockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-58"/>
        <source>&lt;p&gt;&lt;b&gt;Tockwise&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Clocks that float on your desktop.&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+59"/>
        <source>Quit Tockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../../src/app/TKWController.cpp" line="+248"/>
        <source>The clock settings cannot be saved to %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <location line="+65"/>
        <source>Settings cannot be saved to %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+39"/>
        <source>There is no time zone named &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The new clock shows, but its settings cannot be saved to %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-34"/>
        <source>Tockwise is already running; click-through is now off.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Tockwise is already running; it shows its New Clock panel.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::TKWWindowController</name>
    <message>
        <location filename="../../src/window/TKWWindowControllerPanels.cpp" line="+38"/>
        <source>Choose a Face Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pictures (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../../src/window/TKWWindowController.cpp" line="+184"/>
        <source>Tockwise clock</source>
        <extracomment>Title of a clock&apos;s window, as window lists and switchers show it.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tockwise::ZoneSearchField</name>
    <message>
        <location filename="../../src/tzpanel/ZoneSearchField.cpp" line="+27"/>
        <source>Search for a city, country or zone</source>
        <extracomment>Grey text in the empty search field of the time zone panels.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search time zones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Clear search</source>
        <extracomment>The button at the end of the zone search field that empties it.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Matching time zones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+109"/>
        <source>No time zone matches &quot;%1&quot;.</source>
        <extracomment>The list of the time zone search when nothing matches what was typed.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
