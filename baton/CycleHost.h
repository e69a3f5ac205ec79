#pragma once

#include <string>

namespace veltrona {

// Colours the cycle gives the main window's indicators.
enum class IndicatorColour { WindowText, Yellow, Purple, Lime, Blue, Red };

// The three baton settings of the settings record, copied for the cycle once per baton.
struct BatonSettings {
    bool updateDateTimeAutomatically = true;
    bool uploadVeltronaData = true;
    bool clearVeltronaMemory = true;
};

// Everything the upload cycle shows or asks of the main window. The cycle thread calls these; a
// window host posts the indicator calls to the window thread (coalescing the gauge) and runs the
// synchronised calls there while the cycle thread waits for them to return. Texts are
// Windows-1252 bytes.
class CycleHost {
public:
    virtual ~CycleHost() = default;

    // Indicators.
    virtual void SetLed(IndicatorColour colour) = 0;
    virtual void SetIdLabel(const std::string& text) = 0;
    virtual void SetIdLabelColour(IndicatorColour colour) = 0;
    virtual void SetVersionLabel(const std::string& text) = 0;
    // Date and time labels with their font colour (WindowText or Red).
    virtual void SetDateLabel(const std::string& text, IndicatorColour colour) = 0;
    virtual void SetTimeLabel(const std::string& text, IndicatorColour colour) = 0;
    // "Time in Baton is not the same as PC!!"
    virtual void SetClockWarningVisible(bool visible) = 0;
    // "No Data in Brinvale"
    virtual void SetNoDataVisible(bool visible) = 0;
    virtual void SetGauge(int position, int maximum) = 0;
    virtual void SetGaugeColour(IndicatorColour colour) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void Beep() = 0;
    // Restores the window when minimised and brings it to the foreground.
    virtual void BringToFront() = 0;
    // The Id dialog's number field after an automatic increment.
    virtual void SetIdDialogNumber(const std::string& text) = 0;

    // The settings record's baton switches, read when a baton has been identified.
    virtual BatonSettings ReadBatonSettings() = 0;

    // Synchronised: processes WorkDir/Raw.txt (store in the day files, then the reports).
    virtual void DoRaw() = 0;
    // Synchronised: the action-log entry "Veltrona cleared without an uploaded " + idLabel for
    // site "unknown".
    virtual void ClearedWithoutUpload(const std::string& idLabel) = 0;
    // An Id button touched to the station (not "000000"): six upper-case hex digits. The host adds
    // it to the checkpoint editor's site and closes the read-in box.
    virtual void IdButtonRead(const std::string& id) = 0;
};

} // namespace veltrona
