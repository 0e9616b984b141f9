// Exceptions that reach the event loop, or a guarded command, are shown
// and go no further.
#include "platform/Exception.h"
#include "platform/ui/Application.h"
#include "support/ScopedDialogAnswers.h"

#include <gtest/gtest.h>

TEST(RunGuarded, ShowsWhatACommandThrowsAndReportsIt)
{
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(platform::RunGuarded([] {}));
    EXPECT_FALSE(platform::RunGuarded([] { throw Exception("Грешка при зареждане"); }));
    EXPECT_FALSE(platform::RunGuarded([] { throw std::runtime_error("disk full!"); }));
    EXPECT_FALSE(platform::RunGuarded([] { throw 42; }));
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Грешка при зареждане.");
    EXPECT_EQ(dialogs.Shown()[1].Text, "disk full!");
    EXPECT_EQ(dialogs.Shown()[2].Text, "Unknown exception.");
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
}
