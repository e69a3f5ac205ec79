#include "app/MessageTable.h"

#include "app/Trace.h"

#include <utility>

namespace veltrona {

namespace {

struct DefaultMessage {
    int number;
    const char* text;
};

// The built-in English texts; messages 30 and 31 have none.
constexpr DefaultMessage Defaults[] = {
    {1, "Initializing please wait..."},
    {2, "New Site"},
    {3, "Enter in the New Site Name"},
    {4, "Veltrona uploader"},
    {5, "Upload cable Not Found"},
    {6, "Ensure that the Veltrona Baton is NOT on the Upload station"},
    {7, "Consult the help file for further information"},
    {8, "Looking for Veltrona..."},
    {9, "Version :"},
    {10, "Id :"},
    {11, "Setting Clock"},
    {12, "Communicating with Veltrona"},
    {13, "Date :"},
    {14, "Time :"},
    {15, "Setting Veltrona Id Number"},
    {16, "Downloading Data"},
    {17, "Clearing memory"},
    {18, "The Recently uploaded data file has Not been processed"},
    {19, "Would you like to process it now"},
    {20, "Could Not Create the new site"},
    {21, "Report of Brin Vale data uploaded"},
    {22, "Site :"},
    {23, "Unknown checkpoint"},
    {24, "Frequency Report :"},
    {25, "Frequency  Id Number  Name"},
    {26, "Corupt Records Discarded"},
    {27, "Are you sure you want to delete the selected Log File/s"},
    {28, "Delete"},
    {29, "Are you sure you want to delete the selected item(s)"},
    {32, "If the checkpoints are to be placed in an"},
    {33, "existing site select the apropriate site"},
    {34, "and then click Ok"},
    {35, "New IdButton"},
    {36, "Enter in the New 6 Digit Id Number"},
    {37, "Processing Data..."},
    {38, "From Unit"},
    {39, "Date       Time   Id Number  Location"},
    {40, "WARNING!!!"},
    {41, "Data will not be uploaded and might be lost"},
    {42, "There are no checkpoints in the site"},
    {43, "Round trip time must be in intervals of 15 minutes"},
    {44, "----------"},
    {45, "Report of Veltrona Data processed on"},
    {46, "Sorted by Id Number"},
    {47, "From"},
    {48, "to"},
    {49, "Could not open the port after id buton read"},
    {50, "No Date Contained in device ?"},
    {51, "No Time Contained in device ?"},
    {52, "Patrol Start Time"},
    {53, "Patrol Finish time"},
    {54, "Rest Time in Minutes"},
    {55, "Number of batons"},
    {56, "&Add"},
    {57, "&Rename"},
    {58, "Missing Wav File \"done.wav\""},
    {59, " Possible added point tampering"},
    {60, "Possible data tampering (?)"},
    {61, "End of File"},
    {62, "Report compiled by Veltrona uploader Ver "},
    {63, "Deleting Files (Moving to Recycle Bin)"},
    {64, "Check Point List for "},
    {65, "Printed on "},
    {66, "at "},
    {67, "Id     | Name"},
    {68, "MissingLine"},
    {69, "ExtraLine"},
    {70, "New Date and time has been set"},
    {71, "Writing to Baton"},
    {72, " Warnings "},
    {73, "Report has"},
    {74, "Possible added point tampering"},
    {75, "Possible deleted point tampering"},
    {76, "Possible data tampering"},
    {77, "Report has Warnings"},
    {78, "Secure Reporting"},
    {79, "&Print"},
    {80, "&Close"},
    {81, "------ Baton Uploaded ------"},
    {82, "============================================================"},
    {83, "does not belong in the directory"},
    {84, "none"},
    {85, "Simple <<"},
    {86, "Advanced >>"},
    {87, "The program needs to be closed and restarted for changes to take effect"},
    {88, "Exception report by point of data from"},
    {89, "Site Settings for"},
    {90, "Round time"},
    {91, "Rest time"},
    {92, ":           : Mon : Tue : Wed : Thu : Fri : Sat : Sun :"},
    {93, ":Start Time :"},
    {94, ":Finish Time:"},
    {95, "  /////////////////////////"},
    {96, " // Exceptions occuring //"},
    {97, "/////////////////////////"},
    {98, " Date      Time   Type           Interval  Point"},
    {99, "Shift not done"},
    {100, "Failed Patrol"},
    {101, "Missed Point   "},
    {102, "      !!!! No Exceptions Found !!!!"},
    {103, "Legend"},
    {104, "No clockings were found during this shift"},
    {105, "Less than half the required clocking were clocked"},
    {106, "The times between the clocking of this point are"},
    {107, "longer than the Round time and Rest time"},
    {108, "Initializing please wait  (Checking for Cable)"},
    {109, "Initializing please wait  (Checking Port"},
    {110, "Initializing please wait  (Checking for VIvuv2)"},
    {111, "Initializing please wait  (Starting Program)"},
    {112, "Charging"},
    {113, "Site could not be removed"},
    {114, "Download Complete"},
};

} // namespace

const std::string& MessageTable::Message(int n) const {
    static const std::string empty;
    if (n < 1 || n > Size)
        return empty;
    return texts_[static_cast<std::size_t>(n)];
}

void MessageTable::Set(int n, std::string text) {
    if (n < 1 || n > Size)
        return;
    texts_[static_cast<std::size_t>(n)] = std::move(text);
}

void MessageTable::SetDefaultMessages(Trace& trace) {
    for (const auto& d : Defaults)
        Set(d.number, d.text);
    for (int n = 115; n <= 120; ++n)
        Set(n, "");
    trace.Main("flinished language file defaults");
}

} // namespace veltrona
