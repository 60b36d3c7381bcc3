#pragma once

#include "KVD_Edit/planview/Mapping.h"

#include <wx/font.h>
#include <wx/graphics.h>

#include <string>
#include <unordered_map>

// The plan view's texts, each laid out once per font: its extent and descent in device pixels
// and its picture in each colour it is drawn in, kept from one paint to the next. A map of
// thousands of fiducials names a handful of texts ("FID1", "FID2", ...); each label then costs
// a look-up and the copy of a small picture, not a layout by the text engine to measure it and
// another to draw it. The font's size is in points, so the zoom leaves every entry valid; a new
// font makes new entries.
class CPlanTextCache {
public:
    struct SMetrics {
        double width = 0;
        double height = 0;
        double descent = 0;
    };

    // The metrics of text in font (fontKey names the font), laid out on gc the first time.
    const SMetrics &Metrics(wxGraphicsContext *gc, const wxFont &font, const std::string &fontKey,
                            const std::string &text);
    // Draws text with its left-top corner at the device pixel nearest (x, y) in colour, on a box
    // of its extent filled with background when opaque.
    void Draw(wxGraphicsContext *gc, const wxFont &font, const std::string &fontKey,
              const std::string &text, double x, double y, COLORREF colour, bool opaque,
              COLORREF background);

    // How many times a text was laid out since the cache was made.
    int Layouts() const { return m_layouts; }
    void Clear() { m_entries.clear(); }

private:
    struct SEntry {
        SMetrics metrics;
        int pixelWidth = 0;
        int pixelHeight = 0;
        // By colour, background and opacity.
        std::unordered_map<unsigned long long, wxGraphicsBitmap> pictures;
    };
    SEntry &Find(wxGraphicsContext *gc, const wxFont &font, const std::string &fontKey,
                 const std::string &text);
    wxGraphicsBitmap Render(const wxFont &font, const std::string &text, const SEntry &entry,
                            COLORREF colour, bool opaque, COLORREF background);

    std::unordered_map<std::string, SEntry> m_entries;
    std::string m_key; // the look-up key, reused
    int m_layouts = 0;
};
