// MarkupDrawer: lays out and draws the message box's HTML-like markup (text styles,
// line breaks, tabs, rules, links, images and tables) in two passes: Measure records
// every line and table, Draw lays the text out again inside a rectangle and paints it.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "msgbox/colour_table.h"
#include "msgbox/markup_surface.h"
#include "msgbox/style_record.h"
#include "msgbox/style_sheet.h"

namespace rescuva::msgbox {

class MarkupDrawer {
 public:
  struct LineRecord {
    int width = 0;
    int ascent = 0;
    int descent = 0;
    int percentage = 0;  // of the horizontal rules on the line
    HorizontalAlignment alignment = HorizontalAlignment::kLeft;
    int spaces = 0;
    bool wrapped = false;
  };
  struct CellRecord {
    int column_span = 0;  // -1 where another cell's span covers the position
    int row_span = 0;
    int natural_width = 0;
    int content_height = 0;
    int required_width = 0;
    int required_height = 0;
    bool fixed = false;
  };
  struct TableRecord {
    int columns = 0;
    int rows = 0;
    std::vector<CellRecord> cells;  // rows x columns
    std::vector<int> column_widths;
    std::vector<int> row_heights;
    std::vector<bool> fixed;
    CellRecord& Cell(int row, int column) {
      return cells[static_cast<size_t>(row) * columns + column];
    }
  };
  struct LinkRect {
    MarkupRect rect;
    LinkKind kind = LinkKind::kNone;
    int number = 0;
    std::string target;
  };

  static constexpr int kNoLink = -2;

  explicit MarkupDrawer(const SystemColours& system);

  // The owner hears of a change of the hovered link (its number, or -2) and repaints.
  void Attach(std::function<void(int link)> hover) { hover_ = std::move(hover); }
  // What a click on a link does: open the target (href), or hand it to the owner (msg).
  void SetLinkActions(std::function<void(const std::string&)> open,
                      std::function<void(const std::string&)> message) {
    open_ = std::move(open);
    message_ = std::move(message);
  }
  void SetMaxWidth(int width) { max_width_ = width; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void SetLineFeeds(bool on) { line_feeds_ = on; }
  void SetStrings(std::map<int, std::string> strings) { strings_ = std::move(strings); }
  StyleSheet& Sheet() { return sheet_; }

  // The size of the text laid out without bounds (or within the maximum width), plus
  // one pixel each way; an empty text measures 0 x 0.
  MarkupSize Measure(MarkupSurface& surface, const std::string& text);
  // Lays the last measured text out in `rect` and draws it.
  void Draw(MarkupSurface& surface, const MarkupRect& rect);
  // Follows the pointer: true when it is over a link with a target.
  bool HitTest(int x, int y);
  void Click(int x, int y);

  const std::vector<LineRecord>& Lines() const { return lines_; }
  const std::vector<TableRecord>& Tables() const { return tables_; }
  const std::vector<LinkRect>& Links() const { return links_; }

 private:
  enum class Pass { kMeasure, kDraw };

  MarkupSize LayoutDocument(const std::string& text, const MarkupRect& rect);
  MarkupSize LayoutTextBlock(const std::string& block, const MarkupRect& rect);
  MarkupSize LayoutTable(const std::string& table, const MarkupRect& rect);
  void LayoutRow(const std::string& row, int row_index, TableRecord& table, const MarkupRect& inner,
                 const std::map<std::string, std::string>& attributes);
  void MeasureCell(const std::string& cell, int row, int column, TableRecord& table,
                   const std::map<std::string, std::string>& attributes);
  void DrawCell(const std::string& cell, int row, int column, TableRecord& table,
                const MarkupRect& inner);
  void ResolveTableSizes(TableRecord& table) const;

  // Styles.
  void ResetStyle();
  void PushStyle(const std::string& key);
  bool PopStyle(const std::string& key);
  void SelectFont();
  ValueContext Context() const;
  void ApplyRule(const std::string& selector);
  void ApplyTableAttributes(const std::map<std::string, std::string>& attributes, bool table);
  void ApplyTag(const std::string& name, const std::string& rest);

  // Lines.
  void StartLine();
  void EndLine(bool wrapped);
  int LineRight() const;
  void PlaceRun(const std::string& run);
  void EmitRun(const std::string& run, bool ends_line);
  void PlaceImage(const std::string& tag, const std::map<std::string, std::string>& attributes);
  void PlaceObject(const ImageSource& image, MarkupSize size);
  void PlaceRule(const std::map<std::string, std::string>& attributes);
  void NotePart();
  void RegisterLink(const MarkupRect& rect);
  int TextTop() const;

  SystemColours system_;
  ColourTable colours_;
  StyleSheet sheet_;
  std::function<void(int)> hover_;
  std::function<void(const std::string&)> open_, message_;
  std::map<int, std::string> strings_;
  int max_width_ = 0;
  bool enabled_ = true;
  bool line_feeds_ = true;

  std::string source_;
  std::vector<LineRecord> lines_;
  std::vector<TableRecord> tables_;
  std::vector<LinkRect> links_;
  int hovered_ = kNoLink;

  // The layout in progress.
  Pass pass_ = Pass::kMeasure;
  MarkupSurface* surface_ = nullptr;
  StyleRecord style_;
  std::vector<StyleRecord> stack_;
  FontMetricsInfo font_;
  MarkupRect block_;  // the text block being laid out
  int x_ = 0;         // where the next part is drawn
  int line_pos_ = 0;  // its natural distance from the line's start (wrapping and tabs)
  int y_ = 0;
  size_t line_index_ = 0;             // next line record to read in the draw pass
  const LineRecord* line_ = nullptr;  // the record of the line being drawn
  int line_extra_per_space_ = 0;
  bool line_empty_ = true;
  int widest_ = 0;
  size_t table_index_ = 0;
  int link_counter_ = 0;
  int link_number_ = 0;
};

}  // namespace rescuva::msgbox
