#pragma once

#include "orq_utils/OrqExport.h"

#include <any>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <stack>
#include <stdexcept>
#include <string>

// Validated value fields for forms whose fields depend on each other: each field holds a typed
// value with its limits or allowed values and a command that recomputes it; the value-input
// model CVIM holds the fields by name and carries a change of one field over to the others.
// The field kinds below are abstract: a form derives its concrete fields from them and supplies
// what a kind leaves open (at least ValueText). Fields, commands and the model do not own each
// other; whoever builds them keeps them alive while they point at each other.

namespace ORQ {

class CVIM;

// The exception of the value fields: a runtime_error whose text is the message, with a code,
// a level and the name of the source that raised it.
class ORQ_UTILS_API CError : public std::runtime_error {
public:
    CError(int32_t code, const std::string &message, int32_t level, const std::string &source);

    int32_t Code() const { return m_code; }
    int32_t Level() const { return m_level; }
    const std::string &Source() const { return m_source; }

private:
    int32_t m_code;
    int32_t m_level;
    std::string m_source;
};

class ORQ_UTILS_API CCommand {
public:
    virtual ~CCommand() = default;
    virtual void Execute() = 0;
};

// A command that calls callback(model, argument) and counts how often it ran.
class ORQ_UTILS_API CFieldCommand : public CCommand {
public:
    using Callback = void (*)(CVIM *, const std::string &);

    // callback may be null: executing then does nothing (and does not count).
    CFieldCommand(Callback callback, CVIM *model, const std::string &argument);
    CFieldCommand(const CFieldCommand &other) = default;
    CFieldCommand &operator=(const CFieldCommand &other) = default;
    ~CFieldCommand() override = default;

    void Execute() override;
    int32_t ExecutionCount() const { return m_count; }

private:
    int32_t m_count = 0;
    CVIM *m_model;
    std::string m_argument;
    Callback m_callback;
};

// What every field has: its command (not owned, may be null) and three flags. current: when
// false, CVIM::ValueString runs the command before reading the field. constrain: setting the
// value constrains or validates it. The third flag is kept for the form; the library does not
// read it.
class ORQ_UTILS_API CFieldBase {
public:
    CFieldBase(bool current, bool constrain, CFieldCommand *command, bool third);
    CFieldBase(const CFieldBase &other) = default;
    CFieldBase &operator=(const CFieldBase &other) = default;
    virtual ~CFieldBase() = default;

    virtual bool IsValid() const = 0;
    // Brings the value into its limits; true when that changed it.
    virtual bool Constrain() = 0;
    virtual std::string ValueText() const = 0;
    virtual void Set(const std::string &text) = 0;

    // A copy of the value, and putting such a copy back, for CVIM's snapshots. Each field kind
    // keeps its exact value; a field derived directly from CFieldBase goes through its text.
    virtual std::any SaveValue() const;
    virtual void RestoreValue(const std::any &saved);

    // Runs the field's command; false (nothing run) for a field without one.
    bool Execute() const;

    CFieldCommand *Command() const { return m_command; }
    void SetCommand(CFieldCommand *command) { m_command = command; }
    bool IsCurrent() const { return m_current; }
    void SetCurrent(bool current) { m_current = current; }
    bool IsConstrained() const { return m_constrain; }
    bool Third() const { return m_third; }

protected:
    CFieldCommand *m_command;
    bool m_current;
    bool m_constrain;
    bool m_third;
};

template <class T> class CField;

// A number with a minimum, a maximum and a step (0: any value between the limits). Values are
// multiples of the step within a tolerance of a billionth of a step, so that 0.3 counts as a
// multiple of 0.1 although neither is exact in binary. Non-finite values are never valid.
template <> class ORQ_UTILS_API CField<double> : public CFieldBase {
public:
    // Raises CError when the limits are not multiples of the step or the value lies outside
    // them (a value that is not a number lies outside any limits). The value is not constrained.
    CField(double value, bool current, CFieldCommand *command, bool constrain, bool third,
           double minimum, double maximum, double step);
    CField(const CField &other) = default;
    CField &operator=(const CField &other) = default;

    // Stores the constrain flag and the limits, then checks them: limits that are not
    // multiples of the step raise CError; a value outside them is constrained when constrain
    // is true, else raises CError. The new limits stay in force after a raise.
    void ChangeLimits(double minimum, double maximum, double step, bool constrain);

    bool IsValid() const override;
    bool Constrain() override;
    // Constrains with the limits given (not stored); true when the value changed.
    bool Constrain(double minimum, double maximum, double step);
    // The value becomes the number at the start of text (C locale), constrained when the
    // constrain flag is set. Text without a number gives 0, and so does "nan": no form field
    // takes not-a-number from text.
    void Set(const std::string &text) override;

    double operator=(const std::string &text);
    // Stores value, constrained when the constrain flag is set; a constrained field keeps its
    // value when given not-a-number.
    double operator=(const double &value);

    double Value() const { return m_value; }
    // The value as constrained to the limits (the stored value stays), with six significant
    // digits.
    std::string DisplayValue() const;

    std::any SaveValue() const override { return m_value; }
    void RestoreValue(const std::any &saved) override;

protected:
    double m_value;
    double m_minimum;
    double m_maximum;
    double m_step;

private:
    void CheckLimits(bool constrainOutside);
};

// A text with a minimum and maximum length (0: no bound) and an optional list of allowed
// values. With a list, a value is valid only when it is on the list.
template <> class ORQ_UTILS_API CField<std::string> : public CFieldBase {
public:
    using Iterator = std::list<std::string>::const_iterator;

    // allowed may be null (no list); it is copied. The third flag is always set.
    CField(const std::string &value, bool current, CFieldCommand *command,
           const std::list<std::string> *allowed, bool constrain, size_t minimumLength,
           size_t maximumLength);
    CField(const CField &other) = default;
    CField &operator=(const CField &other) = default;

    bool IsValid() const override;
    // s is one of the allowed values (false without a list).
    bool IsValid(const std::string &s) const;
    bool IsValid(Iterator first, Iterator last) const;
    static bool IsValid(Iterator first, Iterator last, const std::string &s);

    // Stores s, unless the constrain flag is set and s would not be a valid value.
    void Set(const std::string &s) override;
    std::string operator=(const std::string &s);

    const std::string &Value() const { return m_value; }

    std::any SaveValue() const override { return m_value; }
    void RestoreValue(const std::any &saved) override;

protected:
    std::string m_value;
    size_t m_minimumLength;
    size_t m_maximumLength;
    std::list<std::string> m_allowed;

private:
    bool Accepts(const std::string &s) const;
};

// A labelled flag (a check box); always valid.
template <> class ORQ_UTILS_API CField<bool> : public CFieldBase {
public:
    CField(const std::string &label, bool value, bool current, CFieldCommand *command,
           bool constrain, bool third);
    CField(const CField &other) = default;
    CField &operator=(const CField &other) = default;

    bool IsValid() const override { return true; }
    bool operator=(bool value);

    const std::string &Label() const { return m_label; }
    bool Value() const { return m_value; }

    std::any SaveValue() const override { return m_value; }
    void RestoreValue(const std::any &saved) override;

protected:
    std::string m_label;
    bool m_value;
};

// A radio set: labels with their selected flags.
template <> class ORQ_UTILS_API CField<std::map<std::string, bool>> : public CFieldBase {
public:
    CField(std::map<std::string, bool> labels, bool current, CFieldCommand *command, bool constrain,
           bool third);
    CField(const CField &other) = default;
    CField &operator=(const CField &other) = default;

    // Selects label and clears every other entry (an unknown label clears them all).
    void Set(const std::string &label) override;
    // The entry's flag; raises CError "Label not found in radio set." for an unknown label.
    bool operator[](const std::string &label) const;

    const std::map<std::string, bool> &Labels() const { return m_labels; }

    std::any SaveValue() const override { return m_labels; }
    void RestoreValue(const std::any &saved) override;

protected:
    std::map<std::string, bool> m_labels;
};

// The value-input model: fields by name (not owned) and a stack of snapshots of their values.
class ORQ_UTILS_API CVIM {
public:
    CVIM() = default;
    CVIM(const CVIM &other) = default;
    CVIM &operator=(const CVIM &other) = default;
    ~CVIM() = default;

    // Registers field under name; false when the name is taken or field is null.
    bool RegisterField(const std::string &name, CFieldBase *field);
    CFieldBase *Field(const std::string &name) const;

    // "" for an unknown name; a field that is not current runs its command first.
    std::string ValueString(const std::string &name) const;

    // Sets the named field from text, then runs the commands of all other fields until no
    // field's text changes any more, in at most 5 passes. True when the values settled; false
    // for an unknown name, and when they did not settle, in which case every field is back at
    // its value from before the update. The snapshot stack is left as it was found, also when
    // a command raises (the values are then restored too, and the exception passes on).
    bool UpdateFieldAndPropagate(const std::string &name, const std::string &text);

    // Pushes a snapshot of the field map and every field's value.
    void PushFieldValues();
    // Puts the newest snapshot back (map and values) and pops it; nothing without a snapshot.
    void PopFieldValues();
    // True when the fields match the newest snapshot: the same names, fields and value texts
    // (false without a snapshot).
    bool CompareFieldValues() const;
    size_t SnapshotCount() const { return m_snapshots.size(); }

    static constexpr int kMaxPropagationPasses = 5;

private:
    struct SSavedField {
        CFieldBase *field;
        std::any value;
        std::string text;
    };
    using Snapshot = std::map<std::string, SSavedField>;

    void UpdateOtherFields(const CFieldBase *field);
    // Drops the newest snapshot without putting it back.
    void DropFieldValues();

    std::map<std::string, CFieldBase *> m_fields;
    std::stack<Snapshot> m_snapshots;
};

} // namespace ORQ
