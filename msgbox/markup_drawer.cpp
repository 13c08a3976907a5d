#include "msgbox/markup_drawer.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "msgbox/markup_text.h"

namespace rescuva::msgbox {
namespace {

constexpr int kUnbounded = INT_MAX / 4;
constexpr int kTabSize = 32;
constexpr int kShadowOffset = 4;
constexpr int kButtonShadowColour = 16;
constexpr const char* kBreakCharacters = " -.,!:;)}]?";

std::string TransformText(std::string text, TextTransform transform) {
  auto each = [&](auto change) {
    for (char& c : text) c = static_cast<char>(change(static_cast<unsigned char>(c)));
  };
  switch (transform) {
    case TextTransform::kUpper:
      each(::toupper);
      break;
    case TextTransform::kLower:
      each(::tolower);
      break;
    case TextTransform::kCapitalise:
      each(::tolower);
      for (size_t i = 0; i < text.size(); ++i) {
        if ((i == 0 || text[i - 1] == ' ') && text[i] >= 'a' && text[i] <= 'z') text[i] -= 32;
      }
      break;
    case TextTransform::kNone:
      break;
  }
  return text;
}

std::string TrimTrailingSpaces(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Where the character starting at or before `at` begins (never inside a UTF-8 sequence).
size_t CharacterStart(const std::string& text, size_t at) {
  while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  return at;
}

int CountSpaces(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), ' '));
}

int NumberAfterName(const std::string& rest) {
  const int n = LeadingInteger(rest.empty() ? rest : rest.substr(rest.find_first_not_of(" =")));
  return n > 0 ? n : 1;
}

std::string Attribute(const std::map<std::string, std::string>& attributes, const char* name) {
  auto it = attributes.find(name);
  return it == attributes.end() ? std::string() : it->second;
}

}  // namespace

MarkupDrawer::MarkupDrawer(const SystemColours& system) : system_(system), colours_(system) {}

ValueContext MarkupDrawer::Context() const {
  ValueContext context;
  context.colours = &colours_;
  context.enabled = enabled_;
  context.disabled_colour = system_(kButtonShadowColour);
  if (surface_) {
    context.pixels_per_inch = surface_->PixelsPerInch();
    context.x_height = surface_->XHeight();
  }
  context.font_height = font_.height;
  return context;
}

MarkupSize MarkupDrawer::Measure(MarkupSurface& surface, const std::string& text) {
  source_ = text;
  if (text.empty()) return {0, 0};
  surface_ = &surface;
  pass_ = Pass::kMeasure;
  lines_.clear();
  tables_.clear();
  links_.clear();
  line_index_ = table_index_ = 0;
  link_counter_ = 0;
  ResetStyle();
  MarkupSize size = LayoutDocument(PreprocessMarkup(text, line_feeds_),
                                   {0, 0, max_width_ > 0 ? max_width_ : kUnbounded, kUnbounded});
  stack_.clear();
  surface_ = nullptr;
  if (max_width_ > 0) size.width = std::min(size.width, max_width_);
  if (size.width == 0 && size.height == 0) {
    source_.clear();
    return {1, 1};
  }
  return {size.width + 1, size.height + 1};
}

void MarkupDrawer::Draw(MarkupSurface& surface, const MarkupRect& rect) {
  if (source_.empty()) return;
  surface_ = &surface;
  pass_ = Pass::kDraw;
  links_.clear();
  line_index_ = table_index_ = 0;
  link_counter_ = 0;
  ResetStyle();
  LayoutDocument(PreprocessMarkup(source_, line_feeds_), rect);
  stack_.clear();
  surface_ = nullptr;
}

bool MarkupDrawer::HitTest(int x, int y) {
  for (const LinkRect& link : links_) {
    if (!link.rect.Contains(x, y)) continue;
    if (link.number != hovered_) {
      hovered_ = link.number;
      if (hover_) hover_(hovered_);
    }
    return !link.target.empty();
  }
  if (hovered_ != kNoLink) {
    hovered_ = kNoLink;
    if (hover_) hover_(hovered_);
  }
  return false;
}

void MarkupDrawer::Click(int x, int y) {
  for (const LinkRect& link : links_) {
    if (!link.rect.Contains(x, y) || link.target.empty()) continue;
    if (link.kind == LinkKind::kOpenTarget && open_) open_(link.target);
    if (link.kind == LinkKind::kSendMessage && message_) message_(link.target);
    return;
  }
}

// Text blocks and tables, stacked from the top of the rectangle.
MarkupSize MarkupDrawer::LayoutDocument(const std::string& text, const MarkupRect& rect) {
  MarkupSize size;
  int y = rect.top;
  size_t at = 0;
  while (at < text.size()) {
    const size_t table = FindTag(text, "table", at);
    const size_t block_end = table == std::string::npos ? text.size() : table;
    if (block_end > at) {
      const MarkupSize block =
          LayoutTextBlock(text.substr(at, block_end - at), {rect.left, y, rect.right, rect.bottom});
      y += block.height;
      size.width = std::max(size.width, block.width);
    }
    if (table == std::string::npos) break;
    const size_t end = FindMatchingEnd(text, "table", table);
    const MarkupSize laid =
        LayoutTable(text.substr(table, end - table), {rect.left, y, rect.right, rect.bottom});
    y += laid.height;
    size.width = std::max(size.width, laid.width);
    at = end;
  }
  size.height = y - rect.top;
  return size;
}

MarkupSize MarkupDrawer::LayoutTextBlock(const std::string& block, const MarkupRect& rect) {
  block_ = rect;
  y_ = rect.top;
  widest_ = 0;
  const std::string text = "<body>" + block + "</body>";
  StartLine();
  size_t at = 0;
  while (auto token = NextToken(text, at)) {
    if (token->is_tag) {
      ApplyTag(token->name, token->rest);
    } else {
      PlaceRun(TransformText(token->text, style_.text_transform));
    }
  }
  EndLine(false);
  return {widest_, y_ - rect.top};
}

// --- styles ---------------------------------------------------------------

void MarkupDrawer::ResetStyle() {
  style_ = {};
  stack_.clear();
  font_ = {};
  SelectFont();
  ApplyRule("body");
  SelectFont();
}

void MarkupDrawer::PushStyle(const std::string& key) {
  StyleRecord saved = style_;
  saved.pairing_key = key;
  stack_.push_back(std::move(saved));
}

bool MarkupDrawer::PopStyle(const std::string& key) {
  if (stack_.empty() || stack_.back().pairing_key != key) return false;
  style_ = std::move(stack_.back());
  stack_.pop_back();
  return true;
}

void MarkupDrawer::SelectFont() {
  if (surface_) font_ = surface_->SelectFont(style_);
}

void MarkupDrawer::ApplyRule(const std::string& selector) {
  sheet_.ApplyRule(selector, style_, Context());
}

void MarkupDrawer::ApplyTag(const std::string& name, const std::string& rest) {
  const bool closing = !name.empty() && name[0] == '/';
  const std::string tag = closing ? name.substr(1) : name;
  const auto attributes = ParseAttributes(rest);
  // Object tags act alike opening and closing.
  if (tag == "br") {
    const int n = NumberAfterName(rest);
    const LineRecord& line = pass_ == Pass::kMeasure ? lines_.back() : *line_;
    EndLine(false);
    y_ += (n - 1) * (line.ascent + line.descent);
    StartLine();
    return;
  }
  if (tag == "t") {
    int n = NumberAfterName(rest);
    int advance = 0;
    if (line_pos_ % kTabSize != 0) {
      advance = kTabSize - line_pos_ % kTabSize;
      --n;
    }
    advance += n * kTabSize;
    x_ += advance;
    line_pos_ += advance;
    return;
  }
  if (tag == "hr") {
    PlaceRule(attributes);
    return;
  }
  if (tag == "bmp" || tag == "icon" || tag == "ilst") {
    PlaceImage(tag, attributes);
    return;
  }
  if (tag == "string") {
    std::string id = Attribute(attributes, "idres");
    if (id.empty()) id = Attribute(attributes, "iddll");
    auto it = strings_.find(LeadingInteger(id));
    if (it != strings_.end()) EmitRun(it->second, false);
    return;
  }

  static const std::map<std::string, std::string> kPairingKeys = {
      {"b", "bold"},         {"i", "italic"},        {"em", "italic"},
      {"u", "underline"},    {"s", "strikeout"},     {"strike", "strikeout"},
      {"font", "font"},      {"left", "left"},       {"center", "center"},
      {"right", "right"},    {"justify", "justify"}, {"baseline", "baseline"},
      {"top", "top"},        {"vcenter", "vcenter"}, {"middle", "vcenter"},
      {"bottom", "vcenter"}, {"span", "span"},       {"a", "link"},
      {"body", "body"},      {"h1", "h1"},           {"h2", "h2"},
      {"h3", "h3"},          {"h4", "h4"},           {"h5", "h5"},
      {"h6", "h6"},          {"code", "code"},       {"pre", "pre"},
      {"big", "big"},        {"small", "small"},     {"sub", "sub"},
      {"sup", "sup"}};
  auto key = kPairingKeys.find(tag);
  if (key == kPairingKeys.end()) return;  // unknown tags are ignored
  if (closing) {
    if (PopStyle(key->second)) SelectFont();
    return;
  }
  PushStyle(key->second);
  const ValueContext context = Context();
  if (tag == "b") {
    style_.font_weight = std::min(style_.font_weight * 2, 900);
  } else if (tag == "i" || tag == "em") {
    style_.italic = !style_.italic;
  } else if (tag == "u") {
    style_.underline = !style_.underline;
  } else if (tag == "s" || tag == "strike") {
    style_.strike_out = !style_.strike_out;
  } else if (tag == "font") {
    if (auto face = Attribute(attributes, "face"); !face.empty()) style_.font_face = face;
    style_.font_height =
        ParseLength(Attribute(attributes, "size"), style_.font_height, true, context);
    style_.text_colour = ParseColour(Attribute(attributes, "color"), style_.text_colour, context);
    bool on = true;
    for (char c : Attribute(attributes, "style")) {
      if (c == '-' || c == '+') {
        on = c == '+';
        continue;
      }
      if (c == 'b') style_.font_weight = on ? 700 : 400;
      if (c == 'i') style_.italic = on;
      if (c == 'u') style_.underline = on;
      if (c == 's') style_.strike_out = on;
      if (c == 'o') style_.overline = on;
      on = true;
    }
    if (auto weight = Attribute(attributes, "weight"); !weight.empty()) {
      StyleSheet::ApplyDeclarations("font-weight:" + weight, style_, context);
    }
    if (auto background = Attribute(attributes, "bkgnd"); !background.empty()) {
      StyleSheet::ApplyDeclarations("background-color:" + background, style_, context);
    }
  } else if (tag == "left" || tag == "center" || tag == "right" || tag == "justify") {
    style_.horizontal_alignment = tag == "left"     ? HorizontalAlignment::kLeft
                                  : tag == "center" ? HorizontalAlignment::kCentre
                                  : tag == "right"  ? HorizontalAlignment::kRight
                                                    : HorizontalAlignment::kJustify;
  } else if (tag == "baseline" || tag == "top" || tag == "vcenter" || tag == "middle" ||
             tag == "bottom") {
    style_.vertical_alignment = tag == "baseline" ? VerticalAlignment::kBaseline
                                : tag == "top"    ? VerticalAlignment::kTop
                                : tag == "bottom" ? VerticalAlignment::kBottom
                                                  : VerticalAlignment::kMiddle;
  } else if (tag == "span") {
    ApplyRule("." + Attribute(attributes, "class"));
  } else if (tag == "a") {
    style_.link_kind = LinkKind::kSendMessage;
    style_.link_target.clear();
    if (attributes.count("href")) {
      style_.link_kind = LinkKind::kOpenTarget;
      style_.link_target = Attribute(attributes, "href");
    } else if (attributes.count("msg")) {
      style_.link_target = Attribute(attributes, "msg");
    }
    link_number_ = ++link_counter_;
    ApplyRule(link_number_ == hovered_ ? "a:hover" : "a:link");
  } else {
    ApplyRule(tag);
  }
  SelectFont();
}

// --- lines ----------------------------------------------------------------

void MarkupDrawer::StartLine() {
  x_ = block_.left;
  line_pos_ = 0;
  line_extra_per_space_ = 0;
  if (pass_ == Pass::kMeasure) {
    lines_.push_back({});
    line_empty_ = true;
    return;
  }
  static LineRecord missing;
  line_ = line_index_ < lines_.size() ? &lines_[line_index_] : &missing;
  ++line_index_;
  const int available = block_.Width();
  const int width = line_->width + available * line_->percentage / 100;
  switch (line_->alignment) {
    case HorizontalAlignment::kCentre:
      x_ += (available - width) / 2;
      break;
    case HorizontalAlignment::kRight:
      x_ += available - width;
      break;
    case HorizontalAlignment::kJustify:
      if (line_->wrapped && line_->spaces > 0)
        line_extra_per_space_ = (available - width) / line_->spaces;
      break;
    case HorizontalAlignment::kLeft:
      break;
  }
}

void MarkupDrawer::EndLine(bool wrapped) {
  if (pass_ == Pass::kMeasure) {
    LineRecord& line = lines_.back();
    line.width = line_pos_;
    if (line.ascent == 0) line.ascent = font_.height;
    line.wrapped = wrapped;
    widest_ = std::max(widest_, line.width + line.percentage * widest_ / 100);
    y_ += line.ascent + line.descent;
    return;
  }
  widest_ = std::max(widest_, line_->width);
  y_ += line_->ascent + line_->descent;
}

int MarkupDrawer::TextTop() const {
  const int h = line_->ascent + line_->descent;
  switch (style_.vertical_alignment) {
    case VerticalAlignment::kTop:
      return y_;
    case VerticalAlignment::kMiddle:
      return y_ + (h - font_.height) / 2;
    case VerticalAlignment::kBottom:
      return y_ + h - font_.ascent;
    case VerticalAlignment::kBaseline:
      break;
  }
  return y_ + h - font_.ascent - line_->descent;
}

// A line takes the alignment in force when its first part is placed, so that an
// alignment tag at the start of a line applies to it.
void MarkupDrawer::NotePart() {
  if (pass_ != Pass::kMeasure || !line_empty_) return;
  lines_.back().alignment = style_.horizontal_alignment;
  line_empty_ = false;
}

void MarkupDrawer::RegisterLink(const MarkupRect& rect) {
  if (style_.link_kind == LinkKind::kNone) return;
  links_.push_back({rect, style_.link_kind, link_number_, style_.link_target});
}

void MarkupDrawer::EmitRun(const std::string& text, bool ends_line) {
  const std::string run = ends_line ? TrimTrailingSpaces(text) : text;
  const int width = surface_->TextWidth(run);
  const int spaces = CountSpaces(run);
  NotePart();
  line_pos_ += width;
  if (pass_ == Pass::kMeasure) {
    LineRecord& line = lines_.back();
    line.ascent = std::max(line.ascent, font_.ascent);
    line.descent = std::max(line.descent, font_.height - font_.ascent);
    line.spaces += spaces;
    x_ += width;
    return;
  }
  const int extra = line_extra_per_space_ * spaces;
  const int top = TextTop();
  surface_->DrawText(x_, top, run, style_, extra);
  if (style_.overline) {
    surface_->DrawLine(x_, top, x_ + width + extra, top, style_.text_colour, kBorderSolid,
                       style_.font_weight >= 700 ? 2 : 1);
  }
  RegisterLink({x_, top, x_ + width + extra, top + font_.height});
  x_ += width + extra;
}

// A run that does not fit the rest of the line breaks after the last break character
// that still fits; on an empty line without one it is cut where it stops fitting.
void MarkupDrawer::PlaceRun(const std::string& text) {
  std::string run = text;
  while (!run.empty()) {
    const int remaining = max_width_ - line_pos_;
    if (max_width_ <= 0 || surface_->TextWidth(run) <= remaining) {
      EmitRun(run, false);
      return;
    }
    size_t fit = std::string::npos;
    for (size_t at = run.find_first_of(kBreakCharacters); at != std::string::npos;
         at = run.find_first_of(kBreakCharacters, at + 1)) {
      if (surface_->TextWidth(run.substr(0, at + 1)) > remaining) break;
      fit = at;
    }
    std::string head, tail;
    if (fit != std::string::npos) {
      head = TrimTrailingSpaces(run.substr(0, fit + 1));
      tail = run.substr(fit + 1);
      tail.erase(0, tail.find_first_not_of(' '));
      if (tail.find_first_not_of(' ') == std::string::npos) tail.clear();
    } else if (line_pos_ == 0) {
      size_t cut = CharacterStart(run, 1);
      for (size_t next = cut; next < run.size();) {
        size_t after = next + 1;
        while (after < run.size() && (static_cast<unsigned char>(run[after]) & 0xC0) == 0x80)
          ++after;
        if (surface_->TextWidth(run.substr(0, after)) > remaining) break;
        cut = after;
        next = after;
      }
      if (cut == 0) cut = run.size();
      head = run.substr(0, cut);
      tail = run.substr(cut);
    } else {
      EndLine(true);
      StartLine();
      continue;
    }
    EmitRun(head, true);
    EndLine(true);
    StartLine();
    run = tail;
  }
}

// The image tags: where the picture comes from, its frame in a strip, its size, and
// its style flags (letters g grey, d darker, l lighter, s shadow).
void MarkupDrawer::PlaceImage(const std::string& tag,
                              const std::map<std::string, std::string>& attributes) {
  ImageSource image;
  image.icon = tag == "icon";
  if (auto id = Attribute(attributes, "idres"); !id.empty()) {
    image.resource = LeadingInteger(id);
  } else if (auto file = Attribute(attributes, "file"); !file.empty()) {
    image.file = file;
  } else if (auto handle = ParseCInteger(Attribute(attributes, "handle"))) {
    image.handle = static_cast<uint64_t>(*handle);
  } else {
    return;  // pictures of other modules are not available here
  }
  auto natural = surface_->ImageSize(image);
  if (!natural || natural->width <= 0 || natural->height <= 0) return;
  MarkupSize picture = *natural;
  if (tag == "ilst") {
    int cx = LeadingInteger(Attribute(attributes, "cx"));
    int cy = LeadingInteger(Attribute(attributes, "cy"));
    if (cx <= 0) cx = cy;
    if (cy <= 0) cy = cx;
    if (cx <= 0) cx = cy = std::min(natural->width, natural->height);
    const int columns = std::max(1, natural->width / cx);
    const int index = std::max(0, LeadingInteger(Attribute(attributes, "index")));
    const int left = (index % columns) * cx, top = (index / columns) * cy;
    image.frame = {left, top, left + cx, top + cy};
    picture = {cx, cy};
  }
  auto scaled = [&](const char* name, int full) {
    const std::string value = Attribute(attributes, name);
    if (value.empty()) return full;
    return value.back() == '%' ? full * LeadingInteger(value) / 100 : LeadingInteger(value);
  };
  if (!image.icon) picture = {scaled("width", picture.width), scaled("height", picture.height)};
  auto flags_of = [](const std::string& letters) {
    int flags = 0;
    for (char c : letters) {
      if (c == 'g') flags |= 0x1;
      if (c == 'd') flags |= 0x2;
      if (c == 'l') flags |= 0x4;
      if (c == 's') flags |= 0x200;  // the drawer's shadows are soft
    }
    return flags;
  };
  const int normal = flags_of(Attribute(attributes, "style"));
  const int hover =
      attributes.count("hotstyle") ? flags_of(Attribute(attributes, "hotstyle")) : normal;
  const bool hovered = style_.link_kind != LinkKind::kNone && link_number_ == hovered_;
  image.flags = hovered ? hover : normal;
  image.other_flags = hovered ? normal : hover;
  const std::string mask = Attribute(attributes, "mask");
  if (!mask.empty()) {
    image.transparent = ParseColour(mask, 0xFF00FF, Context());
  } else if (!image.icon) {
    image.transparent = 0xFF00FF;  // magenta
  }
  if ((normal | hover) & 0x200) image.shadow_space = kShadowOffset;
  PlaceObject(image, {picture.width + image.shadow_space, picture.height + image.shadow_space});
}

void MarkupDrawer::PlaceObject(const ImageSource& image, MarkupSize size) {
  if (max_width_ > 0 && line_pos_ > 0 && line_pos_ + size.width > max_width_) {
    EndLine(true);
    StartLine();
  }
  NotePart();
  line_pos_ += size.width;
  if (pass_ == Pass::kMeasure) {
    lines_.back().ascent = std::max(lines_.back().ascent, size.height);
    x_ += size.width;
    return;
  }
  const int h = line_->ascent + line_->descent;
  int top = y_ + h - line_->descent - size.height;
  switch (style_.vertical_alignment) {
    case VerticalAlignment::kTop:
      top = y_;
      break;
    case VerticalAlignment::kMiddle:
      top = y_ + (h - size.height) / 2;
      break;
    case VerticalAlignment::kBottom:
      top = y_ + h - size.height;
      break;
    case VerticalAlignment::kBaseline:
      break;
  }
  const MarkupRect rect{x_, top, x_ + size.width, top + size.height};
  surface_->DrawImage(image, rect);
  RegisterLink(rect);
  x_ += size.width;
}

void MarkupDrawer::PlaceRule(const std::map<std::string, std::string>& attributes) {
  StyleRecord rule = style_;
  sheet_.ApplyRule("hr", rule, Context());
  const std::string width = Attribute(attributes, "width");
  const bool percent = width.empty() || width.back() == '%';
  const int amount = width.empty() ? 100 : LeadingInteger(width);
  const std::string size_text = Attribute(attributes, "size");
  const int size = size_text.empty() ? 1 : LeadingInteger(size_text);
  const ColourRef colour = ParseColour(Attribute(attributes, "color"), rule.text_colour, Context());
  const int advance = percent ? 1 : amount;
  NotePart();
  if (pass_ == Pass::kMeasure) {
    LineRecord& line = lines_.back();
    if (percent) line.percentage += amount;
    line.ascent = std::max(line.ascent, size + 8 - line.descent);
    x_ += advance;
    line_pos_ += advance;
    return;
  }
  const int length = percent ? block_.Width() * amount / 100 : amount;
  const int middle = y_ + (line_->ascent + line_->descent) / 2;
  surface_->DrawLine(x_, middle, x_ + length, middle, colour, kBorderSolid, size);
  x_ += length;
  line_pos_ += advance;
}

}  // namespace rescuva::msgbox
