#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

// A dialog whose background is a picture: tiled (mode 0), centred (1 and 3) or stretched (2).
class CBDialog : public wxDialog {
public:
    CBDialog();
    ~CBDialog() override;

    // Takes 0 to 3; any other value leaves the mode as it was. True when taken.
    bool SetBitmapMode(int mode);
    int GetBitmapMode() const { return m_mode; }
    // Loads one of the program's pictures: 0 on success, 1 on failure (no picture then).
    int LoadBitmapResource(unsigned id);
    // Loads an image file: 0 on success, 1 on failure (no picture then).
    int LoadBitmapFile(const std::string &path);
    // Sets the mode, then loads the file when it exists.
    void SetBitmapFile(const std::string &path, int mode);
    bool HasBitmap() const { return m_bitmap.IsOk(); }
    const wxBitmap &GetBitmap() const { return m_bitmap; }

    // Where the picture of a resource id lies: "Hint<id>.png" in the program folder, or in the
    // folder set for it (tests point it at the sources).
    static std::string BitmapResourcePath(unsigned id);
    static void SetBitmapResourceFolder(const std::string &folder);

protected:
    void OnPaint(wxPaintEvent &event);

    wxBitmap m_bitmap;
    int m_mode = 0;
};

// A screen rectangle, right and bottom exclusive.
struct SHintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const SHintRect &o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The timed hint window: a small topmost picture with a hint that closes itself after 10
// seconds, or at once on a key or mouse press in it or in its owner's windows. A picture that
// cannot be loaded shows no hint at all.
class CSplashDlg : public CBDialog {
public:
    static constexpr int kDialogId = 220;
    static constexpr unsigned kLocalXYHint = 221;  // after lines were imported or deleted
    static constexpr unsigned kWhiskersHint = 222; // GPS whiskers too long
    static constexpr int kClosedCommand = 1032;    // posted to the owner when the hint closes
    static constexpr int kShowMilliseconds = 10000;

    explicit CSplashDlg(wxWindow *parent = nullptr);
    ~CSplashDlg() override;

    // Sets the mode and loads the picture: 0 on success, 1 on failure.
    int SetBitmap(unsigned id, int mode);
    // Creates the hint over its owner, places and shows it topmost and starts its timer. Without
    // a picture nothing is shown and the result is false.
    bool Create(int dialogId, wxWindow *owner);

    // For the owner's event routing: a key or mouse-button press while the hint is open closes
    // it; true means the event closed the hint and must not be processed further.
    bool CloseOnUserInput(const wxEvent &event);
    bool IsClosed() const { return m_closed != 0; }
    bool IsOpen() const { return m_created && !m_closed; }

    // Where the hint goes on a desktop: mode 1 the middle half, modes 2 and 3 with a picture
    // its size centred, otherwise the whole desktop.
    static SHintRect PlaceWindow(int mode, const SHintRect &desktop, int bitmapWidth,
                                 int bitmapHeight, bool hasBitmap);

    void OnCancel();

private:
    class CInputFilter;

    void OnTimer(wxTimerEvent &event);
    void OnInput(wxEvent &event);
    bool IsOwnersEvent(const wxEvent &event) const;

    wxTimer m_timer;
    wxWindow *m_owner = nullptr;
    std::unique_ptr<CInputFilter> m_filter;
    int m_closed = 0;
    bool m_created = false;
};

// The hint an owner keeps: showing a new hint removes the previous one; the hint goes with the
// slot or with its owner, whichever goes first.
class CHintSlot {
public:
    CHintSlot() = default;
    ~CHintSlot();
    CHintSlot(const CHintSlot &) = delete;
    CHintSlot &operator=(const CHintSlot &) = delete;

    // Replaces the hint by a new one with picture id; null when it could not be shown.
    CSplashDlg *Show(wxWindow *owner, unsigned id, int mode = 3);
    CSplashDlg *Get() const { return m_hint.get(); }
    void Reset();

private:
    wxWeakRef<CSplashDlg> m_hint;
};
