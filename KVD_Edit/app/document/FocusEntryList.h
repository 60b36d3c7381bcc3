#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

class CKvdGprDataFiles;
class wxView;

// Who hears of selection changes: the owning document, which passes them to its views.
class IFocusListOwner {
public:
    virtual ~IFocusListOwner() = default;
    virtual void UpdateAllViewsWithHint(wxView *sender, int hint) = 0;
};

// A pen as the plan view selects it into its drawing: platform pen style (0 solid ... 5 no
// line), width in pixels and colour (red in the low byte).
struct SPenDesc {
    int32_t style = 0;
    int32_t width = 1;
    uint32_t colour = 255;
};

// The document's selected lines, named by (line-set index, line index within the set) as the
// project's query interface counts them, and the pen selected lines are drawn with. Shared by
// the grid view and the plan view.
class CFocusEntryList {
public:
    struct CRowSelect {
        int set = 0;
        int line = 0;
        bool operator==(const CRowSelect &other) const {
            return set == other.set && line == other.line;
        }
    };

    // Hint of UpdateAllViews after the selection changed.
    static constexpr int kSelectionHint = 7737;

    CFocusEntryList() = default;

    void SetOwner(IFocusListOwner *owner, CKvdGprDataFiles *holder);
    // Forgets every entry; tells no view.
    void DeleteFocusArray() {
        m_entries.clear();
        m_keys.clear();
    }
    // Adds a line. Its address goes through the query interface's address rules first (set -1
    // means "counted from the first set"; a count past the end of a set runs on into the
    // following sets); bad addresses are ignored silently. With update, the owner's views hear
    // of the change (sender excluded).
    void AddFocusEntry(int set, int line, wxView *sender, bool update);
    // Removes every entry equal to the (resolved) address.
    void DeleteFocusEntry(int set, int line, wxView *sender, bool update);
    // Constant time: the plan view asks it for every line it draws.
    bool IsSelected(int set, int line) const;

    const std::vector<CRowSelect> &GetEntries() const { return m_entries; }
    // The number of different lines selected (a line added twice counts once).
    size_t GetLineCount() const { return m_keys.size(); }
    const SPenDesc &GetFocusPen() const { return m_pen; }
    int GetFocusPenStyle() const { return m_pen.style; }
    uint32_t GetFocusPenColour() const { return m_pen.colour; }
    // The colour always changes; style and width only when given.
    void SetFocusPen(uint32_t colour, const int *style, const int *width);

private:
    // Resolves an address as the query interface does; false when it is to be ignored.
    bool CheckAddress(int &set, int &line) const;
    static uint64_t Key(int set, int line) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(set)) << 32) |
               static_cast<uint32_t>(line);
    }

    SPenDesc m_pen;
    std::vector<CRowSelect> m_entries;
    // The (set, line) of every entry: IsSelected finds a line without walking the entries.
    std::unordered_set<uint64_t> m_keys;
    IFocusListOwner *m_owner = nullptr;
    CKvdGprDataFiles *m_holder = nullptr;
};
