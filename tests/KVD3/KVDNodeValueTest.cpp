#include "KVD3/KVDNodeValue.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using ORQ::CKVDNodeValue;
using ORQ::CKVDXmlFile;
using ORQ::CStr;

namespace {

struct Project {
    kvdtest::TempDir dir;
    CKVDXmlFile file;
    Project() {
        kvdtest::WriteFile(dir.File("p.kvd"),
                           "<r zero=\"0\" na=\"NA\" n=\"-12abc\" big=\"70000\" d=\"2.5e1x\" "
                           "id=\"COR@@@\" f=\"0.000\">17</r>");
        EXPECT_EQ(1, file.Initialize(dir.File("p.kvd")));
    }
    std::string Saved() {
        std::string s;
        EXPECT_TRUE(file.GetFileHnd()->Serialize(s));
        return s;
    }
};

} // namespace

TEST(NodeValueGet, NumbersAndTheOkFlag) {
    Project p;
    int error = 0;
    long l = 5;
    EXPECT_EQ(1, CKVDNodeValue::Get(l, &p.file, "zero", &error));
    EXPECT_EQ(0, l);
    EXPECT_EQ(0, error);
    EXPECT_EQ(0, CKVDNodeValue::Get(l = 5, &p.file, "na", &error));
    EXPECT_EQ(0, l);
    EXPECT_EQ(1, error);
    l = 5;
    EXPECT_EQ(0, CKVDNodeValue::Get(l, &p.file, "absent", nullptr));
    EXPECT_EQ(5, l);
    EXPECT_EQ(0, CKVDNodeValue::m_bOk);
    EXPECT_EQ(1, CKVDNodeValue::Get(l, &p.file, "n", nullptr));
    EXPECT_EQ(-12, l);
    short s = 0;
    EXPECT_EQ(1, CKVDNodeValue::Get(s, &p.file, "big", nullptr));
    EXPECT_EQ(static_cast<short>(70000), s);
    long long ll = 0;
    EXPECT_EQ(1, CKVDNodeValue::Get(ll, &p.file, nullptr, nullptr)); // the node's text
    EXPECT_EQ(17, ll);

    // Doubles read in the C locale, and a missing value is a failure, not a success.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    double d = 1;
    error = 0;
    EXPECT_EQ(1, CKVDNodeValue::Get(d, &p.file, "d", &error));
    EXPECT_DOUBLE_EQ(25.0, d);
    EXPECT_EQ(1, CKVDNodeValue::Get(d, &p.file, "f", &error));
    EXPECT_EQ(0.0, d);
    EXPECT_EQ(0, error);
    d = 3;
    EXPECT_EQ(0, CKVDNodeValue::Get(d, &p.file, "absent", &error));
    EXPECT_EQ(3, d);
    EXPECT_EQ(1, error);
    float f = 2;
    EXPECT_EQ(0, CKVDNodeValue::Get(f, &p.file, "na", nullptr));
    EXPECT_EQ(0.0f, f);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NodeValueGet, TextsAndIdentifiers) {
    Project p;
    CStr text = "before";
    EXPECT_EQ(0, CKVDNodeValue::Get(text, &p.file, "absent", nullptr));
    EXPECT_EQ("absent", text);
    EXPECT_EQ(1, CKVDNodeValue::Get(text, &p.file, "na", nullptr));
    EXPECT_EQ("NA", text);
    int uid = 0;
    EXPECT_EQ(1, CKVDNodeValue::GetUID(uid, &p.file, "id", nullptr));
    EXPECT_EQ(static_cast<int>(ORQ::Str2UID("COR@@@")), uid);
    EXPECT_EQ(0, CKVDNodeValue::Get(uid, nullptr, "id", nullptr));
}

TEST(NodeValueSet, FormatsInTheCLocale) {
    Project p;
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    int error = 0;
    p.file.AppendChildNode("v");
    EXPECT_EQ(1, CKVDNodeValue::Set(2.5, &p.file, "d", &error));
    EXPECT_EQ("2.500000", CKVDNodeValue::m_str);
    EXPECT_EQ(1, CKVDNodeValue::Set(ORQ::SMeasure(0.05, ORQ::UNIT_FT), &p.file, "m", &error));
    EXPECT_EQ(1, CKVDNodeValue::Set(-7L, &p.file, "l", &error));
    EXPECT_EQ(1, CKVDNodeValue::Set(4000000000UL, &p.file, "u", &error));
    EXPECT_EQ(1, CKVDNodeValue::Set(1LL << 40, &p.file, "i64", &error));
    EXPECT_EQ(
        1, CKVDNodeValue::SetUID(static_cast<int>(ORQ::Str2UID("COR@@@")), &p.file, "uid", &error));
    EXPECT_EQ(1, CKVDNodeValue::Set(CStr("x<y"), &p.file, "s", &error));
    EXPECT_EQ(1, CKVDNodeValue::Set(12, &p.file, nullptr, &error));
    EXPECT_EQ(0, error);
    EXPECT_EQ(0, CKVDNodeValue::Set("v", &p.file, "bad name", &error));
    EXPECT_EQ(1, error);
    std::setlocale(LC_NUMERIC, saved.c_str());
    const std::string uid = std::to_string(static_cast<int>(ORQ::Str2UID("COR@@@")));
    EXPECT_NE(std::string::npos,
              p.Saved().find("<v d=\"2.500000\" m=\"0.050000\" l=\"-7\" u=\"4000000000\" "
                             "i64=\"1099511627776\" uid=\"" +
                             uid + "\" s=\"x&lt;y\">12</v>"));
}
