// Draws the two hint pictures of the timed hint window into resources/ (Hint221.png and
// Hint222.png): white text and a circled warning letter W on a blue ground. Run once when the
// pictures change:
//   g++ -std=c++17 scripts/make_hint_images.cpp $(wx-config --cxxflags --libs core,base) \
//       -o /tmp/make_hint_images && xvfb-run -a /tmp/make_hint_images resources
#include <wx/wx.h>

#include <string>
#include <vector>

namespace {

// Breaks text into lines no wider than width.
std::vector<wxString> Wrap(wxDC &dc, const wxString &text, int width) {
    std::vector<wxString> lines;
    wxString line;
    for (const wxString &word : wxSplit(text, ' ')) {
        const wxString trial = line.empty() ? word : line + " " + word;
        if (!line.empty() && dc.GetTextExtent(trial).x > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = trial;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool Draw(const wxString &path, int w, int h, const wxString &text) {
    wxBitmap bitmap(w, h, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxColour(0, 64, 160)));
    dc.Clear();
    // The warning sign: a circled W at the left.
    const int r = 15;
    const wxPoint centre(6 + r, h / 2);
    dc.SetPen(wxPen(*wxWHITE, 2));
    dc.SetBrush(wxBrush(wxColour(230, 160, 0)));
    dc.DrawCircle(centre, r);
    wxFont bold(wxFontInfo(15).Family(wxFONTFAMILY_SWISS).Bold());
    dc.SetFont(bold);
    dc.SetTextForeground(*wxWHITE);
    const wxSize wSize = dc.GetTextExtent("W");
    dc.DrawText("W", centre.x - wSize.x / 2, centre.y - wSize.y / 2);
    // The text beside it.
    wxFont font(wxFontInfo(8).Family(wxFONTFAMILY_SWISS));
    dc.SetFont(font);
    const int left = 2 * r + 12;
    const std::vector<wxString> lines = Wrap(dc, text, w - left - 4);
    const int lineHeight = dc.GetCharHeight();
    int y = (h - lineHeight * static_cast<int>(lines.size())) / 2;
    for (const wxString &line : lines) {
        dc.DrawText(line, left, y);
        y += lineHeight;
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage().SaveFile(path, wxBITMAP_TYPE_PNG);
}

} // namespace

class CHintApp : public wxApp {
public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        const wxString folder = argc > 1 ? argv[1] : wxString(".");
        const bool ok =
            Draw(folder + "/Hint221.png", 152, 81,
                 "You may wish to update the local XY Global Relationship after edits to "
                 "lines have been made.") &&
            Draw(folder + "/Hint222.png", 174, 81,
                 "New global position is far from the calculated global position. GPS "
                 "Whiskers are too long to display.");
        m_result = ok ? 0 : 1;
        return false;
    }
    int OnExit() override { return m_result; }

private:
    int m_result = 1;
};

wxIMPLEMENT_APP(CHintApp);
