// Tables of the markup: counting rows and columns, measuring cells and resolving
// column widths and row heights in the measure pass; stretching, painting and laying
// out the cells in the draw pass.
#include <algorithm>
#include <climits>
#include <numeric>

#include "msgbox/background_effects.h"
#include "msgbox/markup_drawer.h"
#include "msgbox/markup_text.h"

namespace rescuva::msgbox {
namespace {

constexpr int kTableNoise = 5;
constexpr int kButtonShadowColour = 16;

// The next "<name" at this table's level: nested tables are passed over.
size_t FindAtLevel(const std::string& text, const std::string& name, size_t from) {
  size_t at = from;
  for (;;) {
    const size_t target = FindTag(text, name, at);
    const size_t nested = FindTag(text, "table", at);
    if (nested == std::string::npos || (target != std::string::npos && target < nested)) {
      return target;
    }
    at = FindMatchingEnd(text, "table", nested);
  }
}

struct Element {
  std::map<std::string, std::string> attributes;
  std::string content;
};

// Each "<name ...>" of this level with its attributes and what follows up to its
// closing tag (or the next element, or the end).
std::vector<Element> Elements(const std::string& text, const std::string& name) {
  std::vector<Element> elements;
  for (size_t at = FindAtLevel(text, name, 0); at != std::string::npos;) {
    size_t token_at = at;
    const auto tag = NextToken(text, token_at);
    const size_t next = FindAtLevel(text, name, token_at);
    size_t end = FindAtLevel(text, "/" + name, token_at);
    if (end == std::string::npos || (next != std::string::npos && next < end)) {
      end = next == std::string::npos ? text.size() : next;
    }
    elements.push_back(
        {ParseAttributes(tag ? tag->rest : ""), text.substr(token_at, end - token_at)});
    at = next;
  }
  return elements;
}

int Span(const std::map<std::string, std::string>& attributes, const char* name) {
  auto it = attributes.find(name);
  return it == attributes.end() ? 1 : std::max(1, LeadingInteger(it->second));
}

int BorderThickness(const StyleRecord& style) {
  return style.border_style == kBorderDouble ? 3 * style.border_width : style.border_width;
}

int Sum(const std::vector<int>& values, int from, int count) {
  return std::accumulate(values.begin() + from, values.begin() + from + count, 0);
}

}  // namespace

void MarkupDrawer::ApplyTableAttributes(const std::map<std::string, std::string>& attributes,
                                        bool table) {
  const ValueContext context = Context();
  auto value = [&](const char* name) -> const std::string* {
    auto it = attributes.find(name);
    return it == attributes.end() ? nullptr : &it->second;
  };
  if (table) {
    if (auto v = value("cellpadding")) style_.cell_padding = LeadingInteger(*v);
    if (auto v = value("cellspacing")) style_.cell_spacing = LeadingInteger(*v);
    if (auto v = value("background")) style_.background_image = *v;
  }
  if (auto v = value("border")) {
    style_.border_width = LeadingInteger(*v);
    if (style_.border_width == 0) {
      style_.border_style = kBorderNone;
    } else if (style_.border_style == kBorderNone) {
      style_.border_style = kBorderSolid;
    }
  }
  if (auto v = value("borderstyle"))
    StyleSheet::ApplyDeclarations("border-style:" + *v, style_, context);
  if (auto v = value("bordercolor")) {
    style_.border_light = style_.border_dark = ParseColour(*v, style_.border_light, context);
  }
  if (auto v = value("bordercolorlight"))
    style_.border_light = ParseColour(*v, style_.border_light, context);
  if (auto v = value("bordercolordark"))
    style_.border_dark = ParseColour(*v, style_.border_dark, context);
  if (auto v = value("bgcolor")) {
    style_.background_colour = ParseColour(*v, style_.background_colour, context);
    if (style_.background_effect == -1) style_.background_effect = 0;
  }
  if (auto v = value("bgmidcolor"))
    style_.background_middle = ParseColour(*v, style_.background_middle, context);
  if (auto v = value("bgendcolor"))
    style_.background_end = ParseColour(*v, style_.background_end, context);
  if (auto v = value("bgeffect")) {
    if (auto effect = EffectFromKeyword(*v)) {
      style_.background_effect = *effect;
    } else if (auto number = ParseCInteger(*v)) {
      style_.background_effect = static_cast<int>(*number);
    }
  }
  if (auto v = value("align")) StyleSheet::ApplyDeclarations("text-align:" + *v, style_, context);
  if (auto v = value("valign"))
    StyleSheet::ApplyDeclarations("vertical-align:" + *v, style_, context);
  if (auto v = value("width")) style_.width = LeadingInteger(*v);
  if (auto v = value("height")) style_.height = LeadingInteger(*v);
  if (style_.border_style == kBorderNone || style_.border_width == 0) {
    style_.border_style = kBorderNone;
    style_.border_width = 0;
  } else if (style_.border_style != kBorderSolid || !table) {
    style_.border_width = 1;
  }
}

MarkupSize MarkupDrawer::LayoutTable(const std::string& table_text, const MarkupRect& rect) {
  size_t at = 0;
  const auto tag = NextToken(table_text, at);
  const size_t close = FindTag(table_text, "/table", at);
  const std::string inner =
      table_text.substr(at, (close == std::string::npos ? table_text.size() : close) - at);
  const std::vector<Element> rows = Elements(inner, "tr");

  if (pass_ == Pass::kMeasure) {
    TableRecord record;
    record.rows = static_cast<int>(rows.size());
    for (const Element& row : rows) {
      int columns = 0;
      for (const Element& cell : Elements(row.content, "td"))
        columns += Span(cell.attributes, "colspan");
      record.columns = std::max(record.columns, columns);
    }
    record.cells.assign(static_cast<size_t>(record.rows) * record.columns, {});
    record.column_widths.assign(record.columns, 0);
    record.row_heights.assign(record.rows, 0);
    record.fixed.assign(record.columns, false);
    tables_.push_back(std::move(record));
  }
  const size_t index = table_index_++;
  if (index >= tables_.size()) return {};

  PushStyle("table");
  ApplyRule("table");
  ApplyTableAttributes(ParseAttributes(tag ? tag->rest : ""), true);
  const int spacing = style_.cell_spacing;
  const int thickness = BorderThickness(style_);
  TableRecord& table = tables_[index];
  auto span_size = [&](const std::vector<int>& sizes, int count) {
    return Sum(sizes, 0, count) + (count + 1) * spacing + std::max(count - 1, 0) + 2 * thickness;
  };

  MarkupSize size;
  if (pass_ == Pass::kMeasure) {
    for (int r = 0; r < table.rows; ++r)
      LayoutRow(rows[r].content, r, table, {}, rows[r].attributes);
    ResolveTableSizes(table);
    size = {span_size(table.column_widths, table.columns),
            span_size(table.row_heights, table.rows)};
  } else {
    size = {span_size(table.column_widths, table.columns),
            span_size(table.row_heights, table.rows)};
    int left = rect.left;
    const int available = rect.Width();
    if (size.width < available) {
      int shortfall = available - size.width;
      int open = static_cast<int>(std::count(table.fixed.begin(), table.fixed.end(), false));
      if (open > 0) {
        // every column without a width of its own takes an equal part
        for (int c = 0; c < table.columns; ++c) {
          if (table.fixed[c]) continue;
          const int share = shortfall / open--;
          table.column_widths[c] += share;
          shortfall -= share;
        }
        size.width = available;
      } else if (style_.horizontal_alignment == HorizontalAlignment::kCentre) {
        left += (available - size.width) / 2;
      } else if (style_.horizontal_alignment == HorizontalAlignment::kRight) {
        left += available - size.width;
      }
    }
    const MarkupRect box{left, rect.top, left + size.width, rect.top + size.height};
    if (style_.background_effect == -1 && !style_.background_image.empty()) {
      ImageSource image;
      const std::string& source = style_.background_image;
      if (source.starts_with("file:")) image.file = source.substr(5);
      if (source.starts_with("idres:")) image.resource = LeadingInteger(source.substr(6));
      surface_->TileImage(image, box);
    } else if (style_.background_effect != -1) {
      surface_->FillEffect(box, style_.background_effect, style_.background_colour,
                           style_.background_middle, style_.background_end, kTableNoise);
    }
    const ColourRef disabled = system_(kButtonShadowColour);
    surface_->DrawBorder(box, enabled_ ? style_.border_light : disabled,
                         enabled_ ? style_.border_dark : disabled, style_.border_style,
                         style_.border_width);
    const MarkupRect inner_box{box.left + thickness, box.top + thickness, box.right - thickness,
                               box.bottom - thickness};
    for (int r = 0; r < table.rows; ++r)
      LayoutRow(rows[r].content, r, table, inner_box, rows[r].attributes);
  }
  PopStyle("table");
  return size;
}

void MarkupDrawer::LayoutRow(const std::string& row, int row_index, TableRecord& table,
                             const MarkupRect& inner,
                             const std::map<std::string, std::string>& attributes) {
  PushStyle("tr");
  ApplyRule("tr");
  ApplyTableAttributes(attributes, false);
  int column = 0;
  for (const Element& cell : Elements(row, "td")) {
    while (column < table.columns && table.Cell(row_index, column).column_span == -1) ++column;
    if (column >= table.columns) break;
    PushStyle("td");
    ApplyRule("td");
    ApplyTableAttributes(cell.attributes, false);
    if (pass_ == Pass::kMeasure) {
      MeasureCell(cell.content, row_index, column, table, cell.attributes);
    } else {
      DrawCell(cell.content, row_index, column, table, inner);
    }
    column += std::max(1, table.Cell(row_index, column).column_span);
    PopStyle("td");
  }
  PopStyle("tr");
}

void MarkupDrawer::MeasureCell(const std::string& content, int row, int column, TableRecord& table,
                               const std::map<std::string, std::string>& attributes) {
  CellRecord& cell = table.Cell(row, column);
  cell.column_span = std::min(Span(attributes, "colspan"), table.columns - column);
  cell.row_span = std::min(Span(attributes, "rowspan"), table.rows - row);
  const MarkupSize size =
      LayoutDocument(content, {0, 0, max_width_ > 0 ? max_width_ : INT_MAX / 4, INT_MAX / 4});
  const int frame = 2 * style_.border_width + 2 * style_.cell_padding;
  cell.natural_width = std::max(style_.width, size.width);
  cell.content_height = size.height;
  cell.required_width = std::max(style_.width, size.width) + frame;
  cell.required_height = std::max(style_.height, size.height) + frame;
  cell.fixed = style_.width > 0;
  for (int r = row; r < row + cell.row_span; ++r) {
    for (int c = column; c < column + cell.column_span; ++c) {
      if (r != row || c != column) table.Cell(r, c).column_span = table.Cell(r, c).row_span = -1;
    }
  }
}

void MarkupDrawer::DrawCell(const std::string& content, int row, int column, TableRecord& table,
                            const MarkupRect& inner) {
  const CellRecord cell = table.Cell(row, column);
  const int spacing = style_.cell_spacing;
  auto start = [&](int origin, const std::vector<int>& sizes, int index) {
    int at = origin + spacing;
    for (int k = 0; k < index; ++k) at += spacing + sizes[k] + 1;
    return at;
  };
  auto extent = [&](const std::vector<int>& sizes, int index, int span) {
    return Sum(sizes, index, span) + (spacing + 1) * (span - 1);
  };
  MarkupRect box;
  box.left = start(inner.left, table.column_widths, column);
  box.right = box.left + extent(table.column_widths, column, std::max(1, cell.column_span));
  box.top = start(inner.top, table.row_heights, row);
  box.bottom = box.top + extent(table.row_heights, row, std::max(1, cell.row_span));
  if (style_.background_effect != -1) {
    surface_->FillEffect(box, style_.background_effect, style_.background_colour,
                         style_.background_middle, style_.background_end, kTableNoise);
  }
  surface_->DrawBorder(box, style_.border_light, style_.border_dark, style_.border_style, 1);
  const int inset = style_.border_width + style_.cell_padding;
  MarkupRect area{box.left + inset, box.top + inset, box.right - inset, box.bottom - inset};
  if (style_.vertical_alignment == VerticalAlignment::kMiddle) {
    area.top += (area.Height() - cell.content_height) / 2;
  } else if (style_.vertical_alignment == VerticalAlignment::kBottom) {
    area.top += area.Height() - cell.content_height;
  }
  LayoutDocument(content, area);
}

// Column widths and row heights: single-span cells first, then wider spans, each
// sharing what its columns (rows) lack equally, the first taking the remainder.
void MarkupDrawer::ResolveTableSizes(TableRecord& table) const {
  auto resolve = [&](bool columns) {
    const int count = columns ? table.columns : table.rows;
    std::vector<int>& sizes = columns ? table.column_widths : table.row_heights;
    for (int span = 1; span <= count; ++span) {
      for (int r = 0; r < table.rows; ++r) {
        for (int c = 0; c < table.columns; ++c) {
          const CellRecord& cell = table.Cell(r, c);
          if ((columns ? cell.column_span : cell.row_span) != span) continue;
          const int first = columns ? c : r;
          const int required = columns ? cell.required_width : cell.required_height;
          if (columns && cell.fixed) {
            for (int k = first; k < first + span; ++k) table.fixed[k] = true;
          }
          const int total = Sum(sizes, first, span);
          if (total >= required) continue;
          const int shortfall = required - total;
          for (int k = first; k < first + span; ++k) sizes[k] += shortfall / span;
          sizes[first] += shortfall % span;
        }
      }
    }
  };
  resolve(true);
  resolve(false);
}

}  // namespace rescuva::msgbox
