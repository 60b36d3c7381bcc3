#pragma once

#include <array>
#include <cstdint>
#include <string>

class wxFont;

// The Windows logical-font record (LOGFONTA) as the editor stores it: 60 bytes, little-endian,
// in the font file "ProgramFont.bin". Heights are in pixels at 96 dots per inch, negative for the
// character height and positive for the cell height, as Windows takes them. The face name is
// 8-bit text (code page 1252) of at most 31 characters.
struct SLogFont {
    static constexpr size_t kSize = 60;
    static constexpr size_t kFaceSize = 32; // bytes of the face-name field, terminator included
    static constexpr int32_t kMaxHeight = 1000;
    static constexpr int32_t kMaxWeight = 1000;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::string lfFaceName;

    // The 60 bytes of the record; the face name is cut to 31 bytes and zero-filled.
    std::array<uint8_t, kSize> ToBytes() const;
    // Reads a record from the first 60 bytes of data (false, record unchanged, when size < 60).
    // The raw record is not trusted: the face name ends at its first zero or after 31 bytes,
    // and Sanitize() runs.
    bool FromBytes(const uint8_t *data, size_t size);
    // Clamps height and width to +/- kMaxHeight, weight to 0..kMaxWeight, flags to 0/1 and the
    // face name to 31 bytes without embedded zeros.
    void Sanitize();

    // The fixed fallback record: 8 pt Arial (height -11, weight 400, stroke precision, variable
    // pitch Swiss family).
    static SLogFont Fixed();

    // The toolkit font of this record (may be not IsOk() when the toolkit refuses it).
    wxFont ToWxFont() const;
    // The record of a toolkit font; false when the font is not valid.
    static bool FromWxFont(const wxFont &font, SLogFont &out);

    bool operator==(const SLogFont &o) const;
    bool operator!=(const SLogFont &o) const { return !(*this == o); }
};

// Font files: exactly one record. Reading fails (false) unless 60 bytes can be read; a longer
// file gives its first 60. Writing replaces the file atomically.
bool ReadLogFontFile(const std::string &path, SLogFont &out);
bool WriteLogFontFile(const std::string &path, const SLogFont &font);
