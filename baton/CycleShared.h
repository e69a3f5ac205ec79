#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace veltrona {

// The main-window values that dialogs hand to the upload cycle and that the cycle reports back.
// Dialogs write them on the window thread at any time; the cycle reads them once per pass. Every
// access takes the lock, so each side sees whole values.
class CycleShared {
public:
    // Id dialog: the four-character Id to write into the next baton ("" withdraws it).
    void SetPendingId(const std::string& id);
    std::string PendingId() const;
    // Clears the pending Id only when it is still `written` (a newer one typed meanwhile stays).
    void ClearPendingIdIfStill(const std::string& written);

    void SetAutoIncrementId(bool on);
    bool AutoIncrementId() const;
    // The Id dialog's number field, which the automatic increment advances.
    void SetIdDialogText(const std::string& text);
    std::string IdDialogText() const;

    // State 5's automatic increment, done under one lock. When automatic increment is on and no
    // Id is pending: the field's number + 1, zero-filled to four digits, becomes the field's text
    // and the pending Id, and is returned. A field that is not a number, or a number that would
    // pass 9999, switches automatic increment off instead. nullopt when nothing was incremented.
    std::optional<std::string> AutoIncrement();

    // Written by the cycle after identification; read by the window and the processing.
    void SetBatonIdentity(const std::string& identity, const std::string& versionCode);
    std::string BatonIdentity() const;
    std::string VersionCode() const;
    void SetIdLabelText(const std::string& text);
    std::string IdLabelText() const;

private:
    mutable std::mutex mutex_;
    std::string pendingId_;
    bool autoIncrementId_ = false;
    std::string idDialogText_ = "0000";
    std::string batonIdentity_;
    std::string versionCode_;
    std::string idLabelText_ = "Id : ";
};

// The Id as sent in frame 07: its first four characters, zero-filled on the left when shorter.
std::string FourCharacterId(const std::string& id);

} // namespace veltrona
