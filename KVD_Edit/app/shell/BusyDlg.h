#pragma once

#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <wx/dialog.h>

#include <memory>

class wxActivityIndicator;

// The small modeless "Processing" dialog of the busy indicator, with a running animation. Cancel
// and Escape only note the request; the dialog closes when the busy indicator ends its level.
class CBusyDlg : public wxDialog {
public:
    explicit CBusyDlg(wxWindow *parent);
    ~CBusyDlg() override;

    // Pumps the dialog's waiting events and returns the cancel flag.
    bool IsCancelled();
    bool GetCancelFlag() const { return m_cancelled; }

    // The display of the application's busy indicator: the dialog over the main window and the
    // wait cursor. Null when the program runs without windows or off the UI thread.
    static std::unique_ptr<IBusyDisplay> CreateDisplay();

    static constexpr const char *kMessage = "Processing data...\nPlease wait";

private:
    void OnCancel(wxCommandEvent &event);
    void OnCloseWindow(wxCloseEvent &event);

    wxActivityIndicator *m_animation = nullptr;
    bool m_cancelled = false;
};
