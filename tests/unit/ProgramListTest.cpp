#include "config/ProgramList.h"

#include <gtest/gtest.h>

using vorlund::DatasetError;
using vorlund::ProgramList;

namespace {

void append(ProgramList& list, const std::string& display, int32_t version = 0) {
    list.Append();
    list.SetField("version", version);
    list.SetField("displayname", display);
    list.Post();
}

ProgramList threeEntries() {
    ProgramList list;
    list.Open();
    list.Empty();
    append(list, "A");
    append(list, "B");
    append(list, "C");
    return list;
}

std::string errorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const DatasetError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(ProgramList, IdsCountFromZeroInPostOrderAndTheLastPostedIsCurrent) {
    ProgramList list = threeEntries();
    EXPECT_EQ(list.RecordCount(), 3);
    EXPECT_EQ(list.FieldAsInteger("ID"), 2);
    EXPECT_EQ(list.FieldAsString("DisplayName"), "C");
    for (int row = 0; row < 3; ++row) {
        list.MoveToVisibleRow(row);
        EXPECT_EQ(list.FieldAsInteger("id"), row);
        EXPECT_EQ(list.VisibleRowOfCurrent(), row);
    }
}

TEST(ProgramList, EmptyKeepsTheIdCounterAndOpenTwiceChangesNothing) {
    ProgramList list = threeEntries();
    list.Empty();
    EXPECT_EQ(list.RecordCount(), 0);
    EXPECT_FALSE(list.HasCurrent());
    list.Open();
    append(list, "D");
    EXPECT_EQ(list.FieldAsInteger("id"), 3);
}

TEST(ProgramList, TextFieldsAreCutToTheirSizeAndEmptyStaysEmpty) {
    ProgramList list;
    list.Open();
    list.Append();
    list.SetField("displayname", std::string(130, 'd'));
    list.SetField("odbcRole", "123");
    list.SetField("mdbpath", std::string(300, 'p'));
    list.SetField("OdbcName", std::string_view("ab\0cd", 5));
    list.SetField("tmpdir", "");
    list.Post();
    EXPECT_EQ(list.FieldAsString("displayname"), std::string(128, 'd'));
    EXPECT_EQ(list.FieldAsString("odbcrole"), "12");
    EXPECT_EQ(list.FieldAsString("mdbpath"), std::string(255, 'p'));
    EXPECT_EQ(list.FieldAsString("odbcname"), "ab");
    EXPECT_EQ(list.FieldAsString("tmpdir"), "");
    EXPECT_EQ(list.FieldAsString("mdbname"), ""); // never set
    EXPECT_EQ(list.FieldAsString("odbcCharacterset"), "");
}

TEST(ProgramList, FieldNamesIgnoreLetterCaseAndUnknownNamesFail) {
    ProgramList list = threeEntries();
    for (const char* name : {"id", "ID", "Id", "iD"})
        EXPECT_EQ(list.FieldIndex(name), 0);
    EXPECT_EQ(list.FieldIndex("OdbcCharacterset"), 8);
    EXPECT_EQ(list.FieldIndex("odbcRole"), 9);
    EXPECT_EQ(errorText([&] { list.FieldAsString("xyz"); }),
              "tPrograms: Das Feld 'xyz' wurde nicht gefunden");
    EXPECT_EQ(errorText([&] { list.SetField("version", 1); }),
              "tPrograms: Dataset is not in edit mode.");
    EXPECT_EQ(errorText([&] { list.Post(); }), "tPrograms: Dataset is not in edit mode.");
}

TEST(ProgramList, VersionAcceptsEveryInt32) {
    ProgramList list;
    list.Open();
    append(list, "min", INT32_MIN);
    EXPECT_EQ(list.FieldAsInteger("version"), INT32_MIN);
    append(list, "max", INT32_MAX);
    EXPECT_EQ(list.FieldAsInteger("Version"), INT32_MAX);
}

TEST(ProgramList, FilterNarrowsToTheIdOnlyWhileFiltered) {
    ProgramList list = threeEntries();
    list.SetFilter("ID=1");
    EXPECT_EQ(list.RecordCount(), 3); // not yet in force
    EXPECT_EQ(list.FieldAsInteger("id"), 2);
    list.SetFiltered(true);
    EXPECT_EQ(list.RecordCount(), 1);
    EXPECT_EQ(list.FieldAsInteger("id"), 1);
    EXPECT_EQ(list.FieldAsString("displayname"), "B");
    EXPECT_EQ(list.VisibleText(0, "displayname"), "B");
    EXPECT_EQ(list.VisibleText(1, "displayname"), "");

    list.SetFilter("  ID=7 \t");
    EXPECT_EQ(list.RecordCount(), 0);
    EXPECT_FALSE(list.HasCurrent());
    EXPECT_EQ(list.FieldAsInteger("id"), 0);

    list.SetFilter("ID=-1");
    EXPECT_EQ(list.RecordCount(), 0);
    list.SetFilter("");
    EXPECT_EQ(list.RecordCount(), 3); // no expression: every record passes
}

TEST(ProgramList, CountingWithAFilterKeepsTheCurrentRecord) {
    ProgramList list = threeEntries();
    list.SetFilter("id=0");
    list.SetFiltered(true);
    EXPECT_EQ(list.FieldAsInteger("id"), 0);
    EXPECT_EQ(list.RecordCount(), 1);
    EXPECT_EQ(list.FieldAsInteger("id"), 0);
}

TEST(ProgramList, ChangeNotificationsReachTheGridSide) {
    ProgramList list;
    int changes = 0;
    list.SetOnChange([&] { ++changes; });
    list.Open();
    append(list, "A");
    append(list, "B");
    const int afterPosts = changes;
    EXPECT_GE(afterPosts, 2);
    list.MoveToVisibleRow(0);
    EXPECT_EQ(changes, afterPosts + 1);
    list.MoveToVisibleRow(0); // no change, no notification
    list.MoveToVisibleRow(5); // out of range is ignored
    EXPECT_EQ(changes, afterPosts + 1);
    EXPECT_EQ(list.FieldAsString("displayname"), "A");
}

TEST(ProgramList, MalformedFiltersAreReportedNotGuessed) {
    ProgramList list = threeEntries();
    list.SetFiltered(true);
    EXPECT_EQ(errorText([&] { list.SetFilter("ID=abc"); }),
              "tPrograms: Ungültiger Filterausdruck 'ID=abc'");
    EXPECT_EQ(errorText([&] { list.SetFilter("ID=$1"); }),
              "tPrograms: Ungültiger Filterausdruck 'ID=$1'");
    EXPECT_EQ(errorText([&] { list.SetFilter("ID"); }),
              "tPrograms: Ungültiger Filterausdruck 'ID'");
    EXPECT_EQ(errorText([&] { list.SetFilter("nofield=1"); }),
              "tPrograms: Das Feld 'nofield' wurde nicht gefunden");
}
