#include "orq_utils/vim/orq_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace ORQ;

namespace {

// Concrete fields as a form would write them: each supplies what its kind leaves open.
class CNumber : public CField<double> {
public:
    using CField<double>::CField;
    using CField<double>::operator=;
    std::string ValueText() const override {
        std::ostringstream out;
        out.precision(17);
        out << m_value;
        return out.str();
    }
};

class CText : public CField<std::string> {
public:
    using CField<std::string>::CField;
    using CField<std::string>::operator=;
    bool Constrain() override { return false; }
    std::string ValueText() const override { return m_value; }
};

class CFlag : public CField<bool> {
public:
    using CField<bool>::CField;
    using CField<bool>::operator=;
    bool Constrain() override { return false; }
    std::string ValueText() const override { return m_value ? "1" : "0"; }
    void Set(const std::string &text) override { m_value = text == "1"; }
};

class CRadio : public CField<std::map<std::string, bool>> {
public:
    using CField<std::map<std::string, bool>>::CField;
    bool IsValid() const override { return true; }
    bool Constrain() override { return false; }
    std::string ValueText() const override {
        for (const auto &entry : m_labels)
            if (entry.second)
                return entry.first;
        return "";
    }
};

CNumber Number(double value, double minimum, double maximum, double step, bool constrain = true) {
    return CNumber(value, true, nullptr, constrain, false, minimum, maximum, step);
}

// The CError message raised by f, or "" when it raised nothing.
template <class F> std::string Raised(F f, std::string *source = nullptr) {
    try {
        f();
    } catch (const CError &e) {
        EXPECT_EQ(e.Code(), -1);
        EXPECT_EQ(e.Level(), 3);
        if (source)
            *source = e.Source();
        return e.what();
    }
    return "";
}

const std::string kStepMessage = "Min and max must be a multiple of step.";
const std::string kRangeMessage = "Value must be between min and max.";

} // namespace

TEST(FieldNumber, LimitsAreCheckedWhenBuilt) {
    std::string source;
    EXPECT_EQ(Raised([] { Number(5, 0, 10, 0.5); }), "");
    EXPECT_EQ(Raised([] { Number(5, 0.25, 10, 0.5); }, &source), kStepMessage);
    EXPECT_EQ(source, "vim\\orq_field.h");
    EXPECT_EQ(Raised([] { Number(11, 0, 10, 0.5); }), kRangeMessage);
    EXPECT_EQ(Raised([] { Number(0.5, 0.3, 0.9, 0.1); }), "")
        << "0.3 and 0.9 are multiples of 0.1 although fmod says otherwise";
    EXPECT_EQ(Raised([] { Number(std::nan(""), 0, 10, 0); }), kRangeMessage)
        << "not a number lies outside any limits";
    EXPECT_EQ(Raised([] { Number(std::numeric_limits<double>::infinity(), 0, 10, 0); }),
              kRangeMessage);
}

TEST(FieldNumber, ConstrainsToLimitsAndDownToTheStep) {
    CNumber f = Number(5, 0, 10, 0.5);
    f = 7.3;
    EXPECT_EQ(f.Value(), 7.0);
    f = std::string("-3");
    EXPECT_EQ(f.Value(), 0.0);
    f.Set("12");
    EXPECT_EQ(f.Value(), 10.0);
    f.Set("1e999");
    EXPECT_EQ(f.Value(), 10.0) << "an infinite text goes to the maximum";
    f = std::nan("");
    EXPECT_EQ(f.Value(), 10.0) << "a constrained field keeps its value for not-a-number";
    f.Set("nan");
    EXPECT_EQ(f.Value(), 0.0) << "\"nan\" reads as 0, as text without a number does";
    f.Set("7");
    f.Set("abc");
    EXPECT_EQ(f.Value(), 0.0) << "text without a number reads as 0";

    CNumber unconstrained = Number(5, 0, 10, 0.5, false);
    unconstrained = 7.3;
    EXPECT_EQ(unconstrained.Value(), 7.3);
    EXPECT_TRUE(unconstrained.Constrain()) << "7.3 -> 7.0 is a change";
    EXPECT_EQ(unconstrained.Value(), 7.0);
    EXPECT_FALSE(unconstrained.Constrain()) << "nothing left to change";
    unconstrained = 7.3;
    EXPECT_TRUE(unconstrained.Constrain(0, 5, 0)) << "limits given, not stored";
    EXPECT_EQ(unconstrained.Value(), 5.0);
    unconstrained = 7.3;
    EXPECT_FALSE(unconstrained.IsValid()) << "the stored limits are still 0..10 step 0.5";

    CNumber free = Number(5, 0, 10, 0);
    free = 7.3;
    EXPECT_EQ(free.Value(), 7.3) << "step 0: no step";
}

TEST(FieldNumber, ExactMultiplesOfADecimalStepStay) {
    CNumber f = Number(0, 0, 10, 0.1);
    for (const char *text : {"0.3", "0.7", "2.3", "9.9"}) {
        SCOPED_TRACE(text);
        f.Set(text);
        EXPECT_EQ(f.ValueText(),
                  CNumber(std::atof(text), true, nullptr, false, false, 0, 10, 0).ValueText());
        EXPECT_TRUE(f.IsValid());
    }
    f.Set("0.35");
    EXPECT_NEAR(f.Value(), 0.3, 1e-12) << "down to the multiple below";
    EXPECT_TRUE(f.IsValid());
}

TEST(FieldNumber, ChangeLimits) {
    CNumber three = Number(3, 0, 10, 0, false);
    EXPECT_EQ(Raised([&] { three.ChangeLimits(0, 5, 0, false); }), "");
    EXPECT_EQ(three.Value(), 3.0);

    CNumber seven = Number(7, 0, 10, 0, false);
    EXPECT_EQ(Raised([&] { seven.ChangeLimits(0, 5, 0, false); }), kRangeMessage);
    EXPECT_FALSE(seven.IsValid()) << "the new limits stay in force after the raise";
    EXPECT_EQ(Raised([&] { seven.ChangeLimits(0, 5, 0, true); }), "");
    EXPECT_EQ(seven.Value(), 5.0);
    EXPECT_EQ(Raised([&] { seven.ChangeLimits(0, 5, 2, true); }), kStepMessage);
    EXPECT_EQ(Raised([&] { seven.ChangeLimits(0, 4, 2, true); }), "");
    EXPECT_EQ(seven.Value(), 4.0);
    EXPECT_EQ(Raised([&] { seven.ChangeLimits(0, 4, std::nan(""), true); }), kStepMessage);
}

TEST(FieldNumber, ValidityAndDisplay) {
    CNumber f = Number(0, 0, 10, 0.5, false);
    f = 7.3;
    EXPECT_FALSE(f.IsValid());
    f = 7.5;
    EXPECT_TRUE(f.IsValid());
    f = 12;
    EXPECT_FALSE(f.IsValid());
    EXPECT_EQ(f.DisplayValue(), "10") << "the display shows the constrained value";
    EXPECT_EQ(f.Value(), 12.0) << "and leaves the stored one";

    CNumber free = Number(0, 0, 10, 0, false);
    free = 7.3;
    EXPECT_TRUE(free.IsValid());
    free = 1.0 / 3.0;
    EXPECT_EQ(free.DisplayValue(), "0.333333");
    free = std::nan("");
    EXPECT_FALSE(free.IsValid()) << "not-a-number is never valid, step or no step";
    free.Set("nan");
    EXPECT_EQ(free.Value(), 0.0) << "an unconstrained field takes no not-a-number from text";
    CNumber open = Number(0, -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::infinity(), 0, false);
    open = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(open.IsValid()) << "nor is infinity, even within infinite limits";
    open = -1e300;
    EXPECT_TRUE(open.IsValid());
}

TEST(FieldText, AllowedValuesAndLengths) {
    const std::list<std::string> allowed = {"a", "b"};
    CText constrained("a", true, nullptr, &allowed, true, 0, 0);
    constrained.Set("c");
    EXPECT_EQ(constrained.Value(), "a");
    EXPECT_EQ(constrained = std::string("b"), "b");
    EXPECT_TRUE(constrained.IsValid());
    EXPECT_TRUE(constrained.Third()) << "the third flag of a text field is always set";

    CText loose("a", true, nullptr, &allowed, false, 0, 0);
    loose.Set("c");
    EXPECT_EQ(loose.Value(), "c");
    EXPECT_FALSE(loose.IsValid()) << "a value outside the list is invalid whatever its length";
    EXPECT_FALSE(loose.IsValid(std::string("c")));
    EXPECT_TRUE(loose.IsValid(std::string("b")));
    EXPECT_TRUE(CText::IsValid(allowed.begin(), allowed.end(), "a"));
    EXPECT_FALSE(loose.IsValid(allowed.begin(), allowed.end()));

    CText lengths("abc", true, nullptr, nullptr, true, 2, 4);
    EXPECT_TRUE(lengths.IsValid());
    EXPECT_FALSE(lengths.IsValid(std::string("abc"))) << "no list: no value is on it";
    lengths.Set("x");
    EXPECT_EQ(lengths.Value(), "abc") << "too short for a constrained field";
    lengths.Set("wxyz");
    EXPECT_EQ(lengths.Value(), "wxyz") << "a constrained field without a list takes fitting text";
    CText unbounded("", true, nullptr, nullptr, false, 0, 0);
    unbounded.Set(std::string(1000, 'x'));
    EXPECT_TRUE(unbounded.IsValid());
}

TEST(FieldRadio, SelectsOneLabel) {
    CRadio radio({{"x", false}, {"y", true}}, true, nullptr, true, false);
    radio.Set("x");
    EXPECT_TRUE(radio["x"]);
    EXPECT_FALSE(radio["y"]);
    radio.Set("z");
    EXPECT_FALSE(radio["x"]);
    EXPECT_FALSE(radio["y"]);
    std::string source;
    EXPECT_EQ(Raised([&] { (void)radio["z"]; }, &source), "Label not found in radio set.");
    EXPECT_EQ(source, "vim\\orq_field.cpp");

    CFlag flag("Show grid", false, true, nullptr, false, true);
    EXPECT_TRUE(flag = true);
    EXPECT_TRUE(flag.Value());
    EXPECT_TRUE(flag.IsValid());
    EXPECT_EQ(flag.Label(), "Show grid");
}

namespace {

struct SCall {
    CVIM *model;
    std::string argument;
};
std::vector<SCall> g_calls;
void Record(CVIM *model, const std::string &argument) {
    g_calls.push_back({model, argument});
}

// Commands of the propagation tests: each recomputes the field its argument names.
void Double(CVIM *model, const std::string &argument) {
    auto *target = dynamic_cast<CNumber *>(model->Field(argument));
    auto *source = dynamic_cast<CNumber *>(model->Field("a"));
    *target = source->Value() * 2;
}
void Count(CVIM *model, const std::string &argument) {
    auto *target = dynamic_cast<CNumber *>(model->Field(argument));
    *target = target->Value() + 1;
}
void Fail(CVIM *, const std::string &) {
    throw CError(-1, "no value", 3, "test");
}

} // namespace

TEST(FieldCommand, CountsAndCallsWithItsModelAndArgument) {
    g_calls.clear();
    CVIM model;
    CFieldCommand command(Record, &model, "arg");
    command.Execute();
    command.Execute();
    command.Execute();
    EXPECT_EQ(command.ExecutionCount(), 3);
    ASSERT_EQ(g_calls.size(), 3u);
    for (const SCall &call : g_calls) {
        EXPECT_EQ(call.model, &model);
        EXPECT_EQ(call.argument, "arg");
    }
    CFieldCommand copy = command;
    EXPECT_EQ(copy.ExecutionCount(), 3) << "a copy takes the count too";

    CFieldCommand none(nullptr, &model, "");
    none.Execute();
    EXPECT_EQ(none.ExecutionCount(), 0) << "a command without a callback does nothing";

    CNumber field = Number(1, 0, 10, 0);
    EXPECT_FALSE(field.Execute()) << "a field without a command is refused, not dereferenced";
    field.SetCommand(&command);
    EXPECT_TRUE(field.Execute());
    EXPECT_EQ(command.ExecutionCount(), 4);
}

TEST(FieldModel, ValueStringRunsTheCommandOfAFieldThatIsNotCurrent) {
    g_calls.clear();
    CVIM model;
    CFieldCommand command(Record, &model, "b");
    CNumber current(2, true, &command, true, false, 0, 10, 0);
    CNumber stale(3, false, &command, true, false, 0, 10, 0);
    CNumber commandless(4, false, nullptr, true, false, 0, 10, 0);
    ASSERT_TRUE(model.RegisterField("current", &current));
    ASSERT_TRUE(model.RegisterField("stale", &stale));
    ASSERT_TRUE(model.RegisterField("commandless", &commandless));
    EXPECT_FALSE(model.RegisterField("stale", &current)) << "a name is registered once";
    EXPECT_FALSE(model.RegisterField("null", nullptr));

    EXPECT_EQ(model.ValueString("nothing"), "");
    EXPECT_EQ(model.ValueString("current"), "2");
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(model.ValueString("stale"), "3");
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(model.ValueString("commandless"), "4");
}

TEST(FieldModel, PropagationSettlesOrRestores) {
    CVIM model;
    CFieldCommand doubleB(Double, &model, "b");
    CFieldCommand countC(Count, &model, "c");
    CFieldCommand fail(Fail, &model, "");
    CNumber a(1, true, nullptr, true, false, 0, 100, 0);
    CNumber b(2, true, &doubleB, true, false, 0, 100, 0);
    ASSERT_TRUE(model.RegisterField("a", &a));
    ASSERT_TRUE(model.RegisterField("b", &b));

    EXPECT_TRUE(model.UpdateFieldAndPropagate("a", "7"));
    EXPECT_EQ(a.Value(), 7.0);
    EXPECT_EQ(b.Value(), 14.0);
    EXPECT_EQ(model.SnapshotCount(), 0u) << "propagation pops what it pushed";
    EXPECT_LE(doubleB.ExecutionCount(), CVIM::kMaxPropagationPasses);

    EXPECT_FALSE(model.UpdateFieldAndPropagate("none", "1")) << "an unknown field";

    // c counts up with every pass and never settles: the update is undone.
    CNumber c(0, true, &countC, false, false, 0, 100, 0);
    ASSERT_TRUE(model.RegisterField("c", &c));
    EXPECT_FALSE(model.UpdateFieldAndPropagate("a", "9"));
    EXPECT_EQ(countC.ExecutionCount(), CVIM::kMaxPropagationPasses);
    EXPECT_EQ(a.Value(), 7.0);
    EXPECT_EQ(b.Value(), 14.0);
    EXPECT_EQ(c.Value(), 0.0);
    EXPECT_EQ(model.SnapshotCount(), 0u);

    // A command that raises: the values come back and the error passes on.
    c.SetCommand(&fail);
    EXPECT_THROW(model.UpdateFieldAndPropagate("a", "9"), CError);
    EXPECT_EQ(a.Value(), 7.0);
    EXPECT_EQ(model.SnapshotCount(), 0u);
}

TEST(FieldModel, SnapshotsKeepEveryKindOfValue) {
    CVIM model;
    EXPECT_FALSE(model.CompareFieldValues()) << "nothing to compare with";
    model.PopFieldValues(); // nothing to pop: no effect
    const std::list<std::string> allowed = {"a", "b"};
    CNumber number(1.0 / 3.0, true, nullptr, false, false, 0, 1, 0);
    CText text("a", true, nullptr, &allowed, true, 0, 0);
    CFlag flag("f", false, true, nullptr, false, false);
    CRadio radio({{"x", true}, {"y", false}}, true, nullptr, false, false);
    model.RegisterField("number", &number);
    model.RegisterField("text", &text);
    model.RegisterField("flag", &flag);
    model.RegisterField("radio", &radio);

    model.PushFieldValues();
    EXPECT_TRUE(model.CompareFieldValues());
    number = 0.5;
    text = std::string("b");
    flag = true;
    radio.Set("y");
    EXPECT_FALSE(model.CompareFieldValues());
    model.PopFieldValues();
    EXPECT_EQ(number.Value(), 1.0 / 3.0) << "exactly, not through a text";
    EXPECT_EQ(text.Value(), "a");
    EXPECT_FALSE(flag.Value());
    EXPECT_TRUE(radio["x"]);
    EXPECT_EQ(model.SnapshotCount(), 0u);

    CVIM copy = model;
    EXPECT_EQ(copy.ValueString("text"), "a") << "a copy holds the same fields";
}

TEST(FieldBase, DestroyedThroughItsBase) {
    static_assert(std::has_virtual_destructor_v<CFieldBase>);
    static_assert(std::has_virtual_destructor_v<CCommand>);
    struct CTracked : CNumber {
        explicit CTracked(bool *gone)
            : CNumber(0, true, nullptr, false, false, 0, 1, 0), m_gone(gone) {}
        ~CTracked() override { *m_gone = true; }
        bool *m_gone;
    };
    bool gone = false;
    CFieldBase *field = new CTracked(&gone);
    delete field;
    EXPECT_TRUE(gone);
}
