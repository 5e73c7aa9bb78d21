// Rich text and pictures drawn onto the page surface.
#include <gtest/gtest.h>

#include "SurfaceTestSupport.h"
#include "host/FormatRange.h"
#include "host/Lang.h"
#include "host/SysColors.h"
#include "host/model/Control.h"
#include "host/model/Pictures.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"

using host::Rect;
using namespace surfacetest;

namespace {

// A rich-text control that records each format-range request and reports
// 100 more characters drawn each time.
class RecordingRichText : public host::Object, public host::FormatRangeControl {
 public:
  std::string typeName() const override { return "RichTextBox"; }
  host::Value get(std::string_view name, host::Args) const override {
    if (host::equalsNoCase(name, "BackColor")) return host::systemColorValue(host::syscolor::Window);
    if (host::equalsNoCase(name, "Width")) return 3000.0;
    missingMember(name);
  }
  std::int32_t formatRange(const host::FormatRange& request) override {
    requests.push_back(request);
    return request.firstChar + 100;
  }
  void releaseFormatRange() override {}
  std::vector<host::FormatRange> requests;
};

class PageSurfaceContent : public ::testing::Test {
 protected:
  void SetUp() override { surface.Initialize(nullptr, 120, 100, 2); }
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob job{*control};
  OffScreenDC surface{job.drawing, &job};
};

TEST_F(PageSurfaceContent, RichTextContinuesFromItsPositionIntoTheGivenStretch) {
  auto richText = std::make_shared<RecordingRichText>();
  job.CurrentRichText = richText;
  job.RichTextPos = 40;
  surface.CDRTF(1000, 500, 9000);
  ASSERT_EQ(richText->requests.size(), 1u);
  const host::FormatRange& range = richText->requests.front();
  EXPECT_EQ(range.target, surface.dc());
  EXPECT_EQ(range.drawTwips, Rect::fromLtrb(560, 1000, 3510, 9000));
  EXPECT_EQ(range.pageTwips, Rect::fromLtrb(0, 0, 24440, 8460));
  EXPECT_EQ(range.firstChar, 40);
  EXPECT_EQ(range.lastChar, -1);
  EXPECT_TRUE(range.render);
  EXPECT_EQ(job.RichTextPos, 140);
  EXPECT_EQ(surface.BackColor(), host::GetSysColor(host::syscolor::Window).toHost());
}

TEST_F(PageSurfaceContent, ControlWithoutFormatRangeRaisesAndKeepsThePosition) {
  job.CurrentRichText = host::createBuiltInControl("Label");
  job.RichTextPos = 7;
  try {
    surface.CDRTF(0, 0, 1000);
    FAIL() << "no error raised";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::MemberNotFound);
  }
  EXPECT_EQ(job.RichTextPos, 7);
}

TEST_F(PageSurfaceContent, PictureIsScaledFromTheBoxClientArea) {
  auto form = host::Form::create();
  auto box = form->addControl("PictureBox", "Box");
  box->set("BorderStyle", std::int16_t{0});
  box->set("Width", 30 * 15);  // 30 x 20 pixels
  box->set("Height", 20 * 15);
  host::setPicture(*box, host::Picture::filled({30, 20}, red));
  surface.Printpic(box, 2, 10, 5);  // 30 * 2 * 16 / 15.9 = 60.4 and 20 * 2 * 16 / 15.8 = 40.5
  EXPECT_EQ(boundsOf(*surface.dc(), red, Rect::fromXywh(0, 0, 120, 100)), Rect::fromXywh(10, 5, 60, 41));
}

}  // namespace
