#include "KVD_Edit/platform/LogFont.h"

#include "orq_utils/FileReplacement.h"

#include <wx/font.h>
#include <wx/strconv.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {

void PutI32(uint8_t *p, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetI32(const uint8_t *p) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
    return std::min(std::max(v, lo), hi);
}

// Windows heights are pixels at 96 dots per inch.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr double kDefaultPointSize = 9.0;

} // namespace

std::array<uint8_t, SLogFont::kSize> SLogFont::ToBytes() const {
    std::array<uint8_t, kSize> b{};
    PutI32(&b[0], lfHeight);
    PutI32(&b[4], lfWidth);
    PutI32(&b[8], lfEscapement);
    PutI32(&b[12], lfOrientation);
    PutI32(&b[16], lfWeight);
    b[20] = lfItalic;
    b[21] = lfUnderline;
    b[22] = lfStrikeOut;
    b[23] = lfCharSet;
    b[24] = lfOutPrecision;
    b[25] = lfClipPrecision;
    b[26] = lfQuality;
    b[27] = lfPitchAndFamily;
    size_t n = std::min(lfFaceName.size(), kFaceSize - 1);
    for (size_t i = 0; i < n && lfFaceName[i] != '\0'; ++i)
        b[28 + i] = static_cast<uint8_t>(lfFaceName[i]);
    return b;
}

bool SLogFont::FromBytes(const uint8_t *data, size_t size) {
    if (!data || size < kSize)
        return false;
    lfHeight = GetI32(data);
    lfWidth = GetI32(data + 4);
    lfEscapement = GetI32(data + 8);
    lfOrientation = GetI32(data + 12);
    lfWeight = GetI32(data + 16);
    lfItalic = data[20];
    lfUnderline = data[21];
    lfStrikeOut = data[22];
    lfCharSet = data[23];
    lfOutPrecision = data[24];
    lfClipPrecision = data[25];
    lfQuality = data[26];
    lfPitchAndFamily = data[27];
    lfFaceName.clear();
    for (size_t i = 0; i < kFaceSize - 1 && data[28 + i] != 0; ++i)
        lfFaceName += static_cast<char>(data[28 + i]);
    Sanitize();
    return true;
}

void SLogFont::Sanitize() {
    lfHeight = Clamp(lfHeight, -kMaxHeight, kMaxHeight);
    lfWidth = Clamp(lfWidth, -kMaxHeight, kMaxHeight);
    lfWeight = Clamp(lfWeight, 0, kMaxWeight);
    lfEscapement %= 3600;
    lfOrientation %= 3600;
    lfItalic = lfItalic ? 1 : 0;
    lfUnderline = lfUnderline ? 1 : 0;
    lfStrikeOut = lfStrikeOut ? 1 : 0;
    size_t zero = lfFaceName.find('\0');
    if (zero != std::string::npos)
        lfFaceName.erase(zero);
    if (lfFaceName.size() > kFaceSize - 1)
        lfFaceName.erase(kFaceSize - 1);
}

SLogFont SLogFont::Fixed() {
    SLogFont f;
    f.lfHeight = -11;
    f.lfWeight = 400;
    f.lfOutPrecision = 3;  // stroke precision
    f.lfClipPrecision = 2; // stroke precision
    f.lfQuality = 1;
    f.lfPitchAndFamily = 0x22; // variable pitch, Swiss family
    f.lfFaceName = "Arial";
    return f;
}

wxFont SLogFont::ToWxFont() const {
    SLogFont r = *this;
    r.Sanitize();
    double points = r.lfHeight == 0 ? kDefaultPointSize : std::abs(r.lfHeight) / kPixelsPerPoint;
    wxFontFamily family = wxFONTFAMILY_DEFAULT;
    switch (r.lfPitchAndFamily >> 4) {
    case 1:
        family = wxFONTFAMILY_ROMAN;
        break;
    case 2:
        family = wxFONTFAMILY_SWISS;
        break;
    case 3:
        family = wxFONTFAMILY_MODERN;
        break;
    case 4:
        family = wxFONTFAMILY_SCRIPT;
        break;
    case 5:
        family = wxFONTFAMILY_DECORATIVE;
        break;
    default:
        break;
    }
    wxFontInfo info(points);
    info.Family(family)
        .Weight(r.lfWeight == 0 ? wxFONTWEIGHT_NORMAL : static_cast<int>(r.lfWeight))
        .Italic(r.lfItalic != 0)
        .Underlined(r.lfUnderline != 0)
        .Strikethrough(r.lfStrikeOut != 0);
    if (!r.lfFaceName.empty())
        info.FaceName(wxString(r.lfFaceName.c_str(), wxCSConv(wxFONTENCODING_CP1252)));
    return wxFont(info);
}

bool SLogFont::FromWxFont(const wxFont &font, SLogFont &out) {
    if (!font.IsOk())
        return false;
    SLogFont r;
    double points = font.GetFractionalPointSize();
    if (points <= 0)
        points = kDefaultPointSize;
    r.lfHeight = -static_cast<int32_t>(std::lround(points * kPixelsPerPoint));
    r.lfWeight = font.GetNumericWeight();
    r.lfItalic = font.GetStyle() != wxFONTSTYLE_NORMAL ? 1 : 0;
    r.lfUnderline = font.GetUnderlined() ? 1 : 0;
    r.lfStrikeOut = font.GetStrikethrough() ? 1 : 0;
    switch (font.GetFamily()) {
    case wxFONTFAMILY_ROMAN:
        r.lfPitchAndFamily = 0x10;
        break;
    case wxFONTFAMILY_SWISS:
        r.lfPitchAndFamily = 0x20;
        break;
    case wxFONTFAMILY_MODERN:
    case wxFONTFAMILY_TELETYPE:
        r.lfPitchAndFamily = 0x30;
        break;
    case wxFONTFAMILY_SCRIPT:
        r.lfPitchAndFamily = 0x40;
        break;
    case wxFONTFAMILY_DECORATIVE:
        r.lfPitchAndFamily = 0x50;
        break;
    default:
        break;
    }
    const wxString faceName = font.GetFaceName();
    const wxCSConv cp1252(wxFONTENCODING_CP1252);
    const wxCharBuffer face = faceName.mb_str(cp1252);
    if (face.data())
        r.lfFaceName.assign(face.data(), face.length());
    r.Sanitize();
    out = r;
    return true;
}

bool SLogFont::operator==(const SLogFont &o) const {
    return ToBytes() == o.ToBytes();
}

bool ReadLogFontFile(const std::string &path, SLogFont &out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::array<uint8_t, SLogFont::kSize> b{};
    in.read(reinterpret_cast<char *>(b.data()), static_cast<std::streamsize>(b.size()));
    if (in.gcount() != static_cast<std::streamsize>(b.size()))
        return false;
    return out.FromBytes(b.data(), b.size());
}

bool WriteLogFontFile(const std::string &path, const SLogFont &font) {
    const auto b = font.ToBytes();
    return ORQ::ReplaceFileContent(path,
                                   std::string(reinterpret_cast<const char *>(b.data()), b.size()));
}
