#pragma once
// The list view family ("ListView"; implementation header of the model:
// callers reach a list view by name through host::Object). A list view holds
// its column headers and its list items in two collections, ColumnHeaders and
// ListItems, both counted from 1: Count, Item(i), Add, Remove(i) and Clear.
// A column header has Text, Width (twips) and Alignment (0 left, 1 right,
// 2 centre); a list item has Text and SubItems(j), the texts of columns 2 on
// (j from 1 to ColumnHeaders.Count - 1; a sub-item never set reads as empty
// text). Both have a read-only Index. An index outside a collection raises 9;
// a sub-item index outside the columns raises 381; an alignment other than
// 0 to 2 or a negative width raises 380. Keys are not kept: Add with a key
// raises 5.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/model/Families.h"

namespace host {

class ColumnHeaderCollection;

class ColumnHeader final : public Object {
 public:
  // The width a header gets when none is given.
  static constexpr float DefaultWidth = 1440;

  [[nodiscard]] std::string typeName() const override { return "ColumnHeader"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;

  [[nodiscard]] const std::string& text() const { return text_; }
  [[nodiscard]] float width() const { return width_; }
  [[nodiscard]] std::int16_t alignment() const { return alignment_; }
  void setText(std::string text) { text_ = std::move(text); }
  void setWidth(float width);                 // raises 380 below 0
  void setAlignment(std::int16_t alignment);  // raises 380 outside 0 to 2
  int position = 0;                           // Index, from 1; kept by the collection

 private:
  std::string text_;
  float width_ = DefaultWidth;
  std::int16_t alignment_ = 0;
};

class ListItem final : public Object {
 public:
  explicit ListItem(std::weak_ptr<const ColumnHeaderCollection> columns) : columns_(std::move(columns)) {}
  [[nodiscard]] std::string typeName() const override { return "ListItem"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;

  [[nodiscard]] const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }
  // The sub-items as stored, without trailing ones never set.
  [[nodiscard]] const std::vector<std::string>& subItems() const { return subItems_; }
  // SubItems(j); raises 381 for a j outside the list's columns.
  [[nodiscard]] const std::string& subItem(std::int32_t j) const;
  void setSubItem(std::int32_t j, std::string text);
  int position = 0;  // Index, from 1; kept by the collection

 private:
  void checkSubItem(std::int32_t j) const;
  std::weak_ptr<const ColumnHeaderCollection> columns_;
  std::string text_;
  std::vector<std::string> subItems_;
};

// What both collections share: members counted from 1, Count, Item(i),
// Remove(i) and Clear; each adds its own Add.
template <class Member>
class ListViewCollection : public Object {
 public:
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;

  [[nodiscard]] int count() const { return static_cast<int>(members_.size()); }
  // The member at i, from 1; raises 9 outside the collection.
  [[nodiscard]] Member& at(std::int32_t i) const;
  [[nodiscard]] const std::vector<std::shared_ptr<Member>>& members() const { return members_; }
  void clear() { members_.clear(); }
  // Puts a member at position i (from 1; Count + 1 or Empty for the end).
  Member& insert(std::shared_ptr<Member> member, const Value& position);

 protected:
  virtual Value add(Args args) = 0;

 private:
  void renumberFrom(std::size_t first);
  std::vector<std::shared_ptr<Member>> members_;
};

// ColumnHeaders.Add([Index], [Key], [Text], [Width], [Alignment]) returns the header.
class ColumnHeaderCollection final : public ListViewCollection<ColumnHeader> {
 public:
  [[nodiscard]] std::string typeName() const override { return "ColumnHeaders"; }
  ColumnHeader& add(std::string text, float width = ColumnHeader::DefaultWidth, std::int16_t alignment = 0);

 protected:
  Value add(Args args) override;
};

// ListItems.Add([Index], [Key], [Text]) returns the item.
class ListItemCollection final : public ListViewCollection<ListItem> {
 public:
  explicit ListItemCollection(std::weak_ptr<const ColumnHeaderCollection> columns) : columns_(std::move(columns)) {}
  [[nodiscard]] std::string typeName() const override { return "ListItems"; }
  ListItem& add(std::string text);

 protected:
  Value add(Args args) override;

 private:
  std::weak_ptr<const ColumnHeaderCollection> columns_;
};

// The list view: View (0 icon, 1 small icon, 2 list, 3 report), HideColumnHeaders,
// BackColor, ForeColor, Font, the geometry and Tag, and its two collections
// (ColumnHeaders and ListItems, read-only as objects).
class ListView final : public Control {
 public:
  static constexpr std::int16_t ReportView = 3;

  ListView();
  [[nodiscard]] std::string typeName() const override { return "ListView"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  [[nodiscard]] ColumnHeaderCollection& columnHeaders() const { return *columnHeaders_; }
  [[nodiscard]] ListItemCollection& listItems() const { return *listItems_; }

 private:
  std::shared_ptr<ColumnHeaderCollection> columnHeaders_;
  std::shared_ptr<ListItemCollection> listItems_;
};

}  // namespace host
