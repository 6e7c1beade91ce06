// The note under a result list that the answer stopped at the service's row cap.
#include "TListViewEx.h"
#include "cut_notice.h"

#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct Area {
    Area()
    {
        list->setObjectName("lstvSample");
        layout->addWidget(list);
        layout->addWidget(below);
    }
    QLabel* notice() const { return area.findChild<QLabel*>("lstvSampleCutNotice"); }

    QWidget area;
    QVBoxLayout* layout = new QVBoxLayout(&area);
    TListViewEx* list = new TListViewEx(&area);
    QWidget* below = new QWidget(&area);
};

TEST(CutNotice, ShowsOnlyWhenTheAnswerReachesTheCapRightUnderTheListIfThereIsOne)
{
    Area a;
    rsimform::NoteCutList(a.list, rsimform::kServiceRowCap - 1);
    ASSERT_NE(a.notice(), nullptr);
    EXPECT_TRUE(a.notice()->isHidden());
    EXPECT_EQ(a.layout->indexOf(a.notice()), a.layout->indexOf(a.list) + 1);

    rsimform::NoteCutList(a.list, rsimform::kServiceRowCap);
    EXPECT_FALSE(a.notice()->isHidden());
    EXPECT_EQ(a.notice()->text(), "只显示前1000条，请缩小查询条件");
    rsimform::NoteCutList(a.list, 0);
    EXPECT_TRUE(a.notice()->isHidden());
    EXPECT_EQ(a.area.findChildren<QLabel*>().size(), 1) << "one note however often it is called";

    // A list without a parent is left alone.
    TListViewEx alone;
    rsimform::NoteCutList(&alone, rsimform::kServiceRowCap);
    rsimform::NoteCutList(nullptr, rsimform::kServiceRowCap);
    EXPECT_TRUE(alone.findChildren<QLabel*>().isEmpty());
}

} // namespace
