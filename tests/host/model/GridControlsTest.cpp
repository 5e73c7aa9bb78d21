// The flex grid family: its table, current cell and cell attributes by name.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/SysColors.h"
#include "host/model/Control.h"
#include "host/model/Pictures.h"

namespace {

using host::ObjectRef;
using host::Value;
using testsupport::errorNumberOf;

ObjectRef makeGrid(std::int32_t rows, std::int32_t cols, const char* type = "MSFlexGrid") {
  ObjectRef grid = host::createBuiltInControl(type);
  grid->set("Rows", Value(rows));
  grid->set("Cols", Value(cols));
  return grid;
}

TEST(FlexGridModel, EveryFlavourKeepsItsTypeNameAndTheGridDefaults) {
  for (const char* type : {"MSFlexGrid", "MSHFlexGrid", "vsFlexGrid", "VSFlexGrid"}) {
    SCOPED_TRACE(type);
    ObjectRef grid = host::createBuiltInControl(type);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->typeName(), type);
    EXPECT_EQ(grid->get("Rows").toLong(), 2);
    EXPECT_EQ(grid->get("Cols").toLong(), 2);
    EXPECT_EQ(grid->get("FixedRows").toLong(), 1);
    EXPECT_EQ(grid->get("Fixedrows").toLong(), 1) << "names are matched without regard to case";
    EXPECT_EQ(grid->get("FixedCols").toLong(), 1);
    EXPECT_EQ(grid->get("Row").toLong(), 1) << "the current cell starts past the fixed ones";
    EXPECT_EQ(grid->get("TopRow").toLong(), 1);
    EXPECT_EQ(grid->get("BackColor").toLong(), host::systemColorValue(host::syscolor::Window));
    EXPECT_EQ(grid->get("BackColorFixed").toLong(), host::systemColorValue(host::syscolor::ButtonFace));
    EXPECT_EQ(grid->get("GridLines").toLong(), 1);
    EXPECT_FALSE(grid->get("WordWrap").toBool());
    EXPECT_EQ(grid->get("ColWidth", {Value(0)}).toLong(), -1) << "-1 is the default width";
    EXPECT_EQ(grid->get("RowHeight", {Value(0)}).toLong(), 240) << "a line of the default font";
  }
}

TEST(FlexGridModel, ResizingKeepsTheTextsThatStayInside) {
  ObjectRef grid = makeGrid(3, 3);
  grid->set("TextMatrix", Value("corner"), {Value(2), Value(2)});
  grid->set("TextMatrix", Value("kept"), {Value(1), Value(0)});
  grid->set("Cols", Value(5));
  EXPECT_EQ(grid->get("TextMatrix", {Value(2), Value(2)}).toString(), "corner");
  EXPECT_EQ(grid->get("TextMatrix", {Value(2), Value(4)}).toString(), "");
  grid->set("Rows", Value(2));
  grid->set("Cols", Value(1));
  EXPECT_EQ(grid->get("TextMatrix", {Value(1), Value(0)}).toString(), "kept");
  EXPECT_EQ(errorNumberOf([&] { (void)grid->get("TextMatrix", {Value(2), Value(0)}); }), 381);
  EXPECT_EQ(errorNumberOf([&] { (void)grid->get("TextMatrix", {Value(0), Value(1)}); }), 381);
  grid->set("Rows", Value(3));
  EXPECT_EQ(grid->get("TextMatrix", {Value(2), Value(0)}).toString(), "") << "a regrown row starts empty";
}

TEST(FlexGridModel, BadSizesAndPositionsAreRefused) {
  ObjectRef grid = makeGrid(4, 3);
  EXPECT_EQ(errorNumberOf([&] { grid->set("Rows", Value(-1)); }), 380);
  EXPECT_EQ(errorNumberOf([&] { grid->set("FixedRows", Value(5)); }), 380);
  EXPECT_EQ(errorNumberOf([&] { grid->set("Row", Value(4)); }), 381);
  EXPECT_EQ(errorNumberOf([&] { grid->set("Col", Value(-1)); }), 381);
  EXPECT_EQ(errorNumberOf([&] { grid->set("TopRow", Value(9)); }), 381);
  EXPECT_EQ(errorNumberOf([&] { grid->set("ColWidth", Value(-2), {Value(0)}); }), 380);
  EXPECT_EQ(errorNumberOf([&] { grid->set("ColAlignment", Value(10), {Value(0)}); }), 380);
  EXPECT_EQ(errorNumberOf([&] { grid->set("Cols", Value(1 << 21)); }), 7) << "no table of millions of cells";
  EXPECT_EQ(errorNumberOf([&] { (void)grid->get("NoSuchMember"); }), 438);
  EXPECT_EQ(grid->get("Rows").toLong(), 4) << "a refused assignment changes nothing";
  grid->set("Row", Value(3));
  grid->set("Rows", Value(2));
  EXPECT_EQ(grid->get("Row").toLong(), 1) << "the current cell stays inside a shrunk grid";
}

TEST(FlexGridModel, WidthsHeightsAndAlignmentsByColumnRowOrAll) {
  ObjectRef grid = makeGrid(3, 3);
  grid->set("ColWidth", Value(900), {Value(1)});
  EXPECT_EQ(grid->get("ColWidth", {Value(1)}).toLong(), 900);
  EXPECT_EQ(grid->get("ColWidth", {Value(2)}).toLong(), -1);
  grid->set("ColWidth", Value(0), {Value(-1)});
  EXPECT_EQ(grid->get("ColWidth", {Value(2)}).toLong(), 0) << "index -1 sets every column";
  grid->set("RowHeight", Value(500), {Value(2)});
  EXPECT_EQ(grid->get("RowHeight", {Value(2)}).toLong(), 500);
  grid->set("RowHeight", Value(-1), {Value(2)});
  host::getObject(*grid, "Font")->set("Size", Value(18.0));
  EXPECT_GT(grid->get("RowHeight", {Value(2)}).toLong(), 240) << "the default height follows the font";
  EXPECT_EQ(grid->get("ColAlignment", {Value(0)}).toLong(), 9) << "general alignment by default";
}

TEST(FlexGridModel, CellPropertiesFollowTheCurrentCellAndFallBackToTheGrid) {
  ObjectRef grid = makeGrid(3, 3);
  host::ObjectRef font = host::getObject(*grid, "Font");
  font->set("Name", Value("Arial"));
  font->set("Bold", Value(true));
  grid->set("ColAlignment", Value(7), {Value(2)});
  grid->set("Row", Value(2));
  grid->set("Col", Value(2));
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0) << "never set: 0";
  EXPECT_EQ(grid->get("CellFontName").toString(), "Arial");
  EXPECT_TRUE(grid->get("CellFontBold").toBool());
  EXPECT_EQ(grid->get("CellAlignment").toLong(), 7) << "the column's alignment";
  EXPECT_EQ(grid->get("CellPicture").toLong(), 0);

  grid->set("CellBackColor", Value(std::int32_t{0x00FFFF}));
  grid->set("CellFontBold", Value(false));
  grid->set("CellFontSize", Value(9.9));
  grid->set("CellAlignment", Value(4));
  grid->set("Text", Value("here"));
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0x00FFFF);
  EXPECT_FALSE(grid->get("CellFontBold").toBool());
  EXPECT_DOUBLE_EQ(grid->get("CellFontSize").toDouble(), 9.75) << "the size the screen grants";
  EXPECT_EQ(grid->get("TextMatrix", {Value(2), Value(2)}).toString(), "here");

  grid->set("Col", Value(1));
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0) << "the neighbour keeps the grid's values";
  EXPECT_TRUE(grid->get("CellFontBold").toBool());
  grid->set("Cols", Value(2));
  grid->set("Cols", Value(3));
  grid->set("Col", Value(2));
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0) << "a cell cut off by a resize loses its attributes";
}

TEST(FlexGridModel, CellPicturesTakeHandlesOfOtherPictures) {
  ObjectRef grid = makeGrid(2, 2);
  ObjectRef box = host::createBuiltInControl("PictureBox");
  host::setPicture(*box, host::Picture::filled({5, 4}, host::Rgb::fromRgb(0, 255, 0)));
  grid->set("CellPicture", box->get("Picture"));
  const std::int32_t handle = grid->get("CellPicture").toLong();
  ASSERT_NE(handle, 0);
  EXPECT_EQ(host::pictureFromHandle(handle).size(), (host::Size{5, 4}));
  grid->set("CellPicture", Value(0));
  EXPECT_EQ(grid->get("CellPicture").toLong(), 0);
  EXPECT_EQ(errorNumberOf([&] { grid->set("CellPicture", Value(std::int32_t{12345})); }), 380);
}

}  // namespace
