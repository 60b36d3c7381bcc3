#include "KVD_Edit/planview/PlanTextCache.h"

#include "KVD_Edit/planview/GraphicsPlanDC.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/brush.h>
#include <wx/image.h>

#include <cmath>
#include <memory>

CPlanTextCache::SEntry &CPlanTextCache::Find(wxGraphicsContext *gc, const wxFont &font,
                                             const std::string &fontKey, const std::string &text) {
    m_key.assign(fontKey);
    m_key.push_back('\n');
    m_key.append(text);
    auto it = m_entries.find(m_key);
    if (it != m_entries.end())
        return it->second;
    SEntry &entry = m_entries[m_key];
    double external = 0;
    gc->SetFont(font, *wxBLACK);
    gc->GetTextExtent(ToWx(text), &entry.metrics.width, &entry.metrics.height,
                      &entry.metrics.descent, &external);
    ++m_layouts;
    entry.pixelWidth = static_cast<int>(std::ceil(entry.metrics.width));
    entry.pixelHeight = static_cast<int>(std::ceil(entry.metrics.height));
    return entry;
}

const CPlanTextCache::SMetrics &CPlanTextCache::Metrics(wxGraphicsContext *gc, const wxFont &font,
                                                        const std::string &fontKey,
                                                        const std::string &text) {
    return Find(gc, font, fontKey, text).metrics;
}

wxGraphicsBitmap CPlanTextCache::Render(const wxFont &font, const std::string &text,
                                        const SEntry &entry, COLORREF colour, bool opaque,
                                        COLORREF background) {
    wxImage image(entry.pixelWidth, entry.pixelHeight);
    image.InitAlpha();
    const wxColour fill = ToWxColour(background);
    const size_t pixels = static_cast<size_t>(entry.pixelWidth) * entry.pixelHeight;
    unsigned char *rgb = image.GetData();
    unsigned char *alpha = image.GetAlpha();
    for (size_t i = 0; i < pixels; ++i) {
        rgb[3 * i] = fill.Red();
        rgb[3 * i + 1] = fill.Green();
        rgb[3 * i + 2] = fill.Blue();
        alpha[i] = opaque ? 255 : 0;
    }
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        if (!gc)
            return wxGraphicsBitmap();
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
        gc->SetFont(font, ToWxColour(colour));
        gc->DrawText(ToWx(text), 0, 0);
    }
    ++m_layouts;
    return wxGraphicsRenderer::GetDefaultRenderer()->CreateBitmapFromImage(image);
}

void CPlanTextCache::Draw(wxGraphicsContext *gc, const wxFont &font, const std::string &fontKey,
                          const std::string &text, double x, double y, COLORREF colour, bool opaque,
                          COLORREF background) {
    SEntry &entry = Find(gc, font, fontKey, text);
    if (entry.pixelWidth <= 0 || entry.pixelHeight <= 0)
        return;
    const unsigned long long look = (static_cast<unsigned long long>(colour) << 32) |
                                    (static_cast<unsigned long long>(background) << 1) |
                                    (opaque ? 1u : 0u);
    auto it = entry.pictures.find(look);
    if (it == entry.pictures.end())
        it = entry.pictures
                 .emplace(look,
                          Render(font, text, entry, colour, opaque, opaque ? background : colour))
                 .first;
    if (it->second.IsNull())
        return;
    gc->DrawBitmap(it->second, std::floor(x + 0.5), std::floor(y + 0.5), entry.pixelWidth,
                   entry.pixelHeight);
}
