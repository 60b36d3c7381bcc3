#include "orq_utils/vim/orq_field.h"

#include "orq_utils/CLocale.h"
#include "orq_utils/OrqMath.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

namespace ORQ {

namespace {

// Sources named in the errors: the numeric checks and the radio set.
const char *const kNumericSource = "vim\\orq_field.h";
const char *const kRadioSource = "vim\\orq_field.cpp";
const char *const kStepMessage = "Min and max must be a multiple of step.";
const char *const kRangeMessage = "Value must be between min and max.";
const char *const kRadioMessage = "Label not found in radio set.";
constexpr int32_t kErrorCode = -1;
constexpr int32_t kErrorLevel = 3;

// Tolerance of the limit comparisons (one unit in the last place of 1).
constexpr double kEps = 2.220446049250313e-16;
// How far from a multiple of the step a value may lie, in steps (or, for values of many steps,
// relative to the value): decimal steps such as 0.1 are not exact in binary.
constexpr double kStepTolerance = 1e-9;

bool IsMultipleOf(double v, double step) {
    if (step == 0)
        return true;
    const double q = v / std::fabs(step);
    if (!std::isfinite(q))
        return false;
    return std::fabs(q - std::round(q)) <= kStepTolerance * std::max(1.0, std::fabs(q));
}

// The tolerant comparisons cannot tell infinity from a finite limit; exact ones can.
bool Below(double v, double minimum) {
    return v < minimum && (std::isinf(v) || DefinitelyLessThan(v, minimum, kEps));
}

bool Above(double v, double maximum) {
    return v > maximum && (std::isinf(v) || DefinitelyGreaterThan(v, maximum, kEps));
}

// v brought into [minimum, maximum] and down to the multiple of step below it.
double ConstrainValue(double v, double minimum, double maximum, double step) {
    if (Below(v, minimum))
        v = minimum;
    if (Above(v, maximum))
        v = maximum;
    if (std::isfinite(step) && !IsMultipleOf(v, step))
        v = std::floor(v / std::fabs(step)) * std::fabs(step);
    return v;
}

bool Differs(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b))
        return !(a == b || (std::isnan(a) && std::isnan(b)));
    return !ApproximatelyEqual(a, b, kEps);
}

[[noreturn]] void Raise(const char *message, const char *source) {
    throw CError(kErrorCode, message, kErrorLevel, source);
}

} // namespace

CError::CError(int32_t code, const std::string &message, int32_t level, const std::string &source)
    : std::runtime_error(message), m_code(code), m_level(level), m_source(source) {}

CFieldCommand::CFieldCommand(Callback callback, CVIM *model, const std::string &argument)
    : m_model(model), m_argument(argument), m_callback(callback) {}

void CFieldCommand::Execute() {
    if (!m_callback)
        return;
    ++m_count;
    m_callback(m_model, m_argument);
}

CFieldBase::CFieldBase(bool current, bool constrain, CFieldCommand *command, bool third)
    : m_command(command), m_current(current), m_constrain(constrain), m_third(third) {}

std::any CFieldBase::SaveValue() const {
    return ValueText();
}

void CFieldBase::RestoreValue(const std::any &saved) {
    if (const auto *text = std::any_cast<std::string>(&saved))
        Set(*text);
}

bool CFieldBase::Execute() const {
    if (!m_command)
        return false;
    m_command->Execute();
    return true;
}

// ---- numbers

CField<double>::CField(double value, bool current, CFieldCommand *command, bool constrain,
                       bool third, double minimum, double maximum, double step)
    : CFieldBase(current, constrain, command, third), m_value(value), m_minimum(minimum),
      m_maximum(maximum), m_step(step) {
    CheckLimits(false);
}

void CField<double>::ChangeLimits(double minimum, double maximum, double step, bool constrain) {
    m_constrain = constrain;
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
    CheckLimits(constrain);
}

void CField<double>::CheckLimits(bool constrainOutside) {
    if (!IsMultipleOf(m_minimum, m_step) || !IsMultipleOf(m_maximum, m_step))
        Raise(kStepMessage, kNumericSource);
    const auto outside = [this] {
        return !std::isfinite(m_value) || !(m_minimum <= m_value && m_value <= m_maximum);
    };
    if (!outside())
        return;
    if (constrainOutside)
        Constrain();
    if (outside())
        Raise(kRangeMessage, kNumericSource);
}

bool CField<double>::IsValid() const {
    if (!std::isfinite(m_value))
        return false;
    if (Below(m_value, m_minimum) || Above(m_value, m_maximum))
        return false;
    return IsMultipleOf(m_value, m_step);
}

bool CField<double>::Constrain() {
    return Constrain(m_minimum, m_maximum, m_step);
}

bool CField<double>::Constrain(double minimum, double maximum, double step) {
    if (std::isnan(m_value))
        return false;
    const double old = m_value;
    m_value = ConstrainValue(m_value, minimum, maximum, step);
    return Differs(m_value, old);
}

void CField<double>::Set(const std::string &text) {
    *this = AtofC(text.c_str());
}

double CField<double>::operator=(const std::string &text) {
    Set(text);
    return m_value;
}

double CField<double>::operator=(const double &value) {
    if (m_constrain && std::isnan(value))
        return m_value;
    m_value = value;
    if (m_constrain)
        Constrain();
    return m_value;
}

std::string CField<double>::DisplayValue() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << ConstrainValue(m_value, m_minimum, m_maximum, m_step);
    return out.str();
}

void CField<double>::RestoreValue(const std::any &saved) {
    if (const auto *v = std::any_cast<double>(&saved))
        m_value = *v;
}

// ---- texts

CField<std::string>::CField(const std::string &value, bool current, CFieldCommand *command,
                            const std::list<std::string> *allowed, bool constrain,
                            size_t minimumLength, size_t maximumLength)
    : CFieldBase(current, constrain, command, true), m_value(value), m_minimumLength(minimumLength),
      m_maximumLength(maximumLength) {
    if (allowed)
        m_allowed = *allowed;
}

bool CField<std::string>::Accepts(const std::string &s) const {
    if (!m_allowed.empty())
        return IsValid(s);
    if (m_minimumLength != 0 && s.size() < m_minimumLength)
        return false;
    return m_maximumLength == 0 || s.size() <= m_maximumLength;
}

bool CField<std::string>::IsValid() const {
    return Accepts(m_value);
}

bool CField<std::string>::IsValid(const std::string &s) const {
    return IsValid(m_allowed.begin(), m_allowed.end(), s);
}

bool CField<std::string>::IsValid(Iterator first, Iterator last) const {
    return IsValid(first, last, m_value);
}

bool CField<std::string>::IsValid(Iterator first, Iterator last, const std::string &s) {
    return std::find(first, last, s) != last;
}

void CField<std::string>::Set(const std::string &s) {
    if (!m_constrain || Accepts(s))
        m_value = s;
}

std::string CField<std::string>::operator=(const std::string &s) {
    Set(s);
    return m_value;
}

void CField<std::string>::RestoreValue(const std::any &saved) {
    if (const auto *v = std::any_cast<std::string>(&saved))
        m_value = *v;
}

// ---- flags

CField<bool>::CField(const std::string &label, bool value, bool current, CFieldCommand *command,
                     bool constrain, bool third)
    : CFieldBase(current, constrain, command, third), m_label(label), m_value(value) {}

bool CField<bool>::operator=(bool value) {
    m_value = value;
    return m_value;
}

void CField<bool>::RestoreValue(const std::any &saved) {
    if (const auto *v = std::any_cast<bool>(&saved))
        m_value = *v;
}

// ---- radio sets

CField<std::map<std::string, bool>>::CField(std::map<std::string, bool> labels, bool current,
                                            CFieldCommand *command, bool constrain, bool third)
    : CFieldBase(current, constrain, command, third), m_labels(std::move(labels)) {}

void CField<std::map<std::string, bool>>::Set(const std::string &label) {
    for (auto &entry : m_labels)
        entry.second = entry.first == label;
}

bool CField<std::map<std::string, bool>>::operator[](const std::string &label) const {
    const auto it = m_labels.find(label);
    if (it == m_labels.end())
        Raise(kRadioMessage, kRadioSource);
    return it->second;
}

void CField<std::map<std::string, bool>>::RestoreValue(const std::any &saved) {
    if (const auto *v = std::any_cast<std::map<std::string, bool>>(&saved))
        m_labels = *v;
}

// ---- the model

bool CVIM::RegisterField(const std::string &name, CFieldBase *field) {
    return field && m_fields.emplace(name, field).second;
}

CFieldBase *CVIM::Field(const std::string &name) const {
    const auto it = m_fields.find(name);
    return it == m_fields.end() ? nullptr : it->second;
}

std::string CVIM::ValueString(const std::string &name) const {
    CFieldBase *field = Field(name);
    if (!field)
        return "";
    if (!field->IsCurrent())
        field->Execute();
    return field->ValueText();
}

bool CVIM::UpdateFieldAndPropagate(const std::string &name, const std::string &text) {
    CFieldBase *field = Field(name);
    if (!field)
        return false;
    const size_t depth = m_snapshots.size();
    PushFieldValues(); // the values before the update, for when they do not settle
    try {
        field->Set(text);
        for (int pass = 0; pass < kMaxPropagationPasses; ++pass) {
            PushFieldValues();
            UpdateOtherFields(field);
            const bool settled = CompareFieldValues();
            DropFieldValues();
            if (settled) {
                DropFieldValues();
                return true;
            }
        }
    } catch (...) {
        while (m_snapshots.size() > depth + 1)
            DropFieldValues();
        PopFieldValues();
        throw;
    }
    PopFieldValues();
    return false;
}

void CVIM::UpdateOtherFields(const CFieldBase *field) {
    for (const auto &entry : m_fields)
        if (entry.second != field)
            entry.second->Execute();
}

void CVIM::PushFieldValues() {
    Snapshot snapshot;
    for (const auto &entry : m_fields)
        snapshot.emplace(entry.first, SSavedField{entry.second, entry.second->SaveValue(),
                                                  entry.second->ValueText()});
    m_snapshots.push(std::move(snapshot));
}

void CVIM::PopFieldValues() {
    if (m_snapshots.empty())
        return;
    const Snapshot &snapshot = m_snapshots.top();
    m_fields.clear();
    for (const auto &entry : snapshot) {
        m_fields.emplace(entry.first, entry.second.field);
        entry.second.field->RestoreValue(entry.second.value);
    }
    m_snapshots.pop();
}

void CVIM::DropFieldValues() {
    if (!m_snapshots.empty())
        m_snapshots.pop();
}

bool CVIM::CompareFieldValues() const {
    if (m_snapshots.empty())
        return false;
    const Snapshot &snapshot = m_snapshots.top();
    if (snapshot.size() != m_fields.size())
        return false;
    auto saved = snapshot.begin();
    for (const auto &entry : m_fields) {
        if (saved->first != entry.first || saved->second.field != entry.second ||
            saved->second.text != entry.second->ValueText())
            return false;
        ++saved;
    }
    return true;
}

} // namespace ORQ
