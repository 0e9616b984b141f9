// The user's settings: string values and form positions in the private
// settings store of each test, with names matched regardless of case.
#include "core/unRegistryFuncs.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

namespace {

class RegistryFuncs : public testsupport::DataTest
{
protected:
    QString StoreFile() const { return QDir(settings_->Path()).filePath("Quorend/Tolvex2000.ini"); }
};

} // namespace

TEST_F(RegistryFuncs, MissingValueReadsEmptyAndWrittenValueReadsBack)
{
    QString value = "old";
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "");
    SetRegistrySetting("Print_Laser", "1");
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "1");
    // The value lives in the test's own store, in the program's INI file.
    ASSERT_TRUE(QFile::exists(StoreFile()));
}

TEST_F(RegistryFuncs, ValueNamesIgnoreCase)
{
    // The consumption-norm form writes both spellings: they are one value.
    SetRegistrySetting("frmRazhodni_normi_code_izdelie_Text", "12");
    QString value;
    GetRegistrySetting("frmRazhodni_Normi_code_izdelie_Text", value);
    EXPECT_EQ(value, "12");
    SetRegistrySetting("FRMRAZHODNI_NORMI_CODE_IZDELIE_TEXT", "13");
    GetRegistrySetting("frmRazhodni_normi_code_izdelie_Text", value);
    EXPECT_EQ(value, "13");

    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenKeyReadOnly("SOFTWARE\\Quorend\\Tolvex2000"));
    EXPECT_TRUE(key.ValueExists("Frmrazhodni_normi_code_izdelie_text"));
}

TEST_F(RegistryFuncs, TextsWithDelimitersCommasAndCyrillicRoundTrip)
{
    const QStringList values = {"1@2@°3", "a, b, c", "@Variant(x)", "  интервал  ", "Цена \"x\" 5%",
                                "ред\nред"};
    int n = 0;
    for (const QString &v : values) {
        const QString name = QString("frmX_le%1/Part\\Text").arg(n++);
        SetRegistrySetting(name, v);
        QString back;
        GetRegistrySetting(name, back);
        EXPECT_EQ(back, v) << name.toStdString();
    }
}

TEST_F(RegistryFuncs, FormPositionMissingKeyReturnsFalseAndLeavesBoundsUntouched)
{
    QRect bounds(1, 2, 3, 4);
    EXPECT_FALSE(LoadFormPosition("TfrmIzdelia", bounds));
    EXPECT_EQ(bounds, QRect(1, 2, 3, 4));
}

TEST_F(RegistryFuncs, FormPositionRoundTripsUnderTheFormsKeyRegardlessOfCase)
{
    ASSERT_TRUE(SaveFormPosition("TfrmIzdelia", QRect(-8, 15, 640, 480)));
    QRect bounds;
    ASSERT_TRUE(LoadFormPosition("TFRMIZDELIA", bounds));
    EXPECT_EQ(bounds.left(), -8);
    EXPECT_EQ(bounds.top(), 15);
    EXPECT_EQ(bounds.width(), 640);
    EXPECT_EQ(bounds.height(), 480);

    // The values sit under Forms\<form>, named as the registry had them.
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenKeyReadOnly("Software\\Quorend\\Tolvex2000\\Forms\\TfrmIzdelia"));
    int x = 0;
    ASSERT_TRUE(key.ReadInteger("PositionX", x));
    EXPECT_EQ(x, -8);
    // ...and not among the program's string values.
    QString value;
    GetRegistrySetting("PositionX", value);
    EXPECT_EQ(value, "");
}

TEST_F(RegistryFuncs, FormPositionValuesMissingOrDamagedReadAsMinusOne)
{
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenKey(QString(RegistryFormsKey) + "TfrmObekti", true));
    ASSERT_TRUE(key.WriteInteger("PositionX", 100));
    ASSERT_TRUE(key.WriteString("SizeX", "широк"));
    key.CloseKey();
    QRect bounds;
    ASSERT_TRUE(LoadFormPosition("TfrmObekti", bounds));
    EXPECT_EQ(bounds.left(), 100);
    EXPECT_EQ(bounds.top(), -1);
    EXPECT_EQ(bounds.width(), -1);
    EXPECT_EQ(bounds.height(), -1);
}

TEST_F(RegistryFuncs, DefaultsApplyOnlyToMissingValues)
{
    SetRegistrySetting("Present", "");
    SetRegistrySetting("Number", "42");
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenKeyReadOnly(RegistryRootKey));
    QString value;
    ReadRegistryStringDefault(key, "Present", "dflt", value);
    EXPECT_EQ(value, "");
    ReadRegistryStringDefault(key, "Absent", "dflt", value);
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(ReadRegistryIntegerDefault(key, "number", 7), 42);
    EXPECT_EQ(ReadRegistryIntegerDefault(key, "Absent", 7), 7);
    EXPECT_EQ(ReadRegistryIntegerDefault(key, "Present", 7), 7);
}

TEST_F(RegistryFuncs, ReadOnlyKeyRefusesWritesAndUnknownPathsDoNotOpen)
{
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenKeyReadOnly(RegistryRootKey));
    EXPECT_FALSE(key.WriteString("x", "y"));
    EXPECT_FALSE(key.OpenKey("Quorend", true));
    EXPECT_FALSE(key.OpenKeyReadOnly("Software\\Quorend\\Tolvex2000\\Forms\\Nothing"));
}

TEST_F(RegistryFuncs, WritesThatDoNotReachTheStoreReportFailure)
{
    ASSERT_TRUE(SetRegistrySetting("Print_Laser", "1"));
    EXPECT_TRUE(SaveFormPosition("TfrmIzdelia", QRect(1, 2, 3, 4)));
    // A store that cannot be written (here a folder where its file should be).
    ASSERT_TRUE(QFile::remove(StoreFile()));
    ASSERT_TRUE(QDir().mkpath(StoreFile()));
    EXPECT_FALSE(SetRegistrySetting("Print_Laser", "0"));
    EXPECT_FALSE(SaveFormPosition("TfrmIzdelia", QRect(5, 6, 7, 8)));
}
