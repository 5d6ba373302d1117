#include "platform/backend/sdl/sdl_menu.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace platform::sdl {
namespace {

// At scale 1; everything grows with the scale.
constexpr int kBarHeight = WindowMetrics::kMenuBar;
constexpr int kFontPixels = 12;
constexpr int kTopPadding = 6;     // each side of a top item's caption
constexpr int kItemHeight = 18;
constexpr int kItemLeft = 20;      // room for a check mark
constexpr int kItemRight = 24;
constexpr int kDropBorder = 3;

constexpr SDL_Color kFace{212, 208, 200, 255};
constexpr SDL_Color kLight{255, 255, 255, 255};
constexpr SDL_Color kShadow{128, 128, 128, 255};
constexpr SDL_Color kDark{64, 64, 64, 255};
constexpr SDL_Color kHighlight{10, 36, 106, 255};
constexpr SDL_Color kText[3] = {{0, 0, 0, 255}, {255, 255, 255, 255}, {128, 128, 128, 255}};

// A font that has the kana and kanji the menu uses, through fontconfig:
// the IPAex Gothic the set-up installs, else whatever covers Japanese.
std::string FindJapaneseFont() {
  if (!FcInit()) return {};
  std::string found;
  for (const char* query : {"IPAexGothic:lang=ja", ":lang=ja"}) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(query));
    if (!pattern) continue;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) continue;
    FcChar8* file = nullptr;
    FcCharSet* chars = nullptr;
    const bool japanese = FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch &&
                          FcCharSetHasChar(chars, 0x753B) && FcCharSetHasChar(chars, 0x30E2);  // 画, モ
    if (japanese && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      found = reinterpret_cast<const char*>(file);
    }
    FcPatternDestroy(match);
    if (!found.empty()) break;
  }
  return found;
}

// The caption as shown: "&&" is a literal '&', a single '&' marks the next
// character as the accelerator and disappears.
std::string ShownText(const std::string& caption, std::size_t& acceleratorAt, char& accelerator) {
  std::string out;
  acceleratorAt = std::string::npos;
  accelerator = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && acceleratorAt == std::string::npos) {
        acceleratorAt = out.size();
        accelerator = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i])));
      }
    }
    out += caption[i];
  }
  return out;
}

void Fill(SDL_Renderer* r, const SDL_Rect& rect, SDL_Color c) {
  SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a);
  SDL_RenderFillRect(r, &rect);
}

// Lines of the drawing at scale 1, drawn at scale S: a pixel becomes an S x S
// block, so a line is S pixels wide.
void HLine(SDL_Renderer* r, int x1, int x2, int y, SDL_Color c, int s) { Fill(r, SDL_Rect{x1, y, x2 - x1 + s, s}, c); }
void VLine(SDL_Renderer* r, int x, int y1, int y2, SDL_Color c, int s) { Fill(r, SDL_Rect{x, y1, s, y2 - y1 + s}, c); }

}  // namespace

MenuBar::~MenuBar() { Release(); }

void MenuBar::Release() {
  FreeLabels();
  for (auto& [scale, font] : fonts_) TTF_CloseFont(font);
  fonts_.clear();
  font_ = nullptr;
  renderer_ = nullptr;
}

bool MenuBar::Init(SDL_Renderer* renderer) {
  renderer_ = renderer;
  if (!TTF_WasInit() && TTF_Init() != 0) return false;
  fontFile_ = FindJapaneseFont();
  const bool opened = OpenFont();
  FreeLabels();
  MakeLabels();
  return opened;
}

bool MenuBar::OpenFont() {
  // Opened once for each scale: switching between a window and full screen
  // goes back and forth between two.
  font_ = nullptr;
  for (const auto& [scale, font] : fonts_) {
    if (scale == scale_) font_ = font;
  }
  if (!font_ && !fontFile_.empty()) {
    font_ = TTF_OpenFont(fontFile_.c_str(), kFontPixels * scale_);
    if (font_) fonts_.emplace_back(scale_, font_);
  }
  return font_ != nullptr;
}

void MenuBar::Rebind(SDL_Renderer* renderer) {
  FreeLabels();
  renderer_ = renderer;
  MakeLabels();
}

void MenuBar::SetScale(int scale) {
  scale = std::max(scale, 1);
  if (scale == scale_) return;
  scale_ = scale;
  FreeLabels();
  if (!fontFile_.empty()) OpenFont();
  MakeLabels();
}

int MenuBar::BarHeight() const { return kBarHeight * scale_; }

MenuBar::Label MenuBar::MakeLabel(const std::string& caption) {
  Label label;
  std::size_t at = 0;
  const std::string shown = ShownText(caption, at, label.accelerator);
  if (!font_ || !renderer_ || shown.empty()) return label;
  for (int variant = 0; variant < 3; ++variant) {
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font_, shown.c_str(), kText[variant]);
    if (!surface) continue;
    label.width = surface->w;
    label.height = surface->h;
    label.text[variant] = SDL_CreateTextureFromSurface(renderer_, surface);
    SDL_FreeSurface(surface);
  }
  if (at != std::string::npos) {
    int before = 0, upTo = 0, h = 0;
    TTF_SizeUTF8(font_, shown.substr(0, at).c_str(), &before, &h);
    // The accelerator is one character, which may take several bytes.
    std::size_t end = at + 1;
    while (end < shown.size() && (static_cast<unsigned char>(shown[end]) & 0xC0) == 0x80) ++end;
    TTF_SizeUTF8(font_, shown.substr(0, end).c_str(), &upTo, &h);
    label.underlineX = before;
    label.underlineWidth = upTo - before;
  }
  return label;
}

void MenuBar::FreeLabels() {
  auto free = [](Label& l) {
    for (auto*& t : l.text) {
      if (t) SDL_DestroyTexture(t);
      t = nullptr;
    }
  };
  for (auto& l : topLabels_) free(l);
  for (auto& items : itemLabels_) {
    for (auto& l : items) free(l);
  }
  topLabels_.clear();
  itemLabels_.clear();
}

void MenuBar::Set(const MenuDesc& menu) {
  FreeLabels();
  menu_ = menu;
  MakeLabels();
  if (open_ >= static_cast<int>(menu_.tops.size())) {
    open_ = -1;
    selected_ = -1;
  }
}

void MenuBar::MakeLabels() {
  for (const auto& top : menu_.tops) {
    topLabels_.push_back(MakeLabel(top.caption));
    itemLabels_.emplace_back();
    for (const auto& item : top.items) itemLabels_.back().push_back(MakeLabel(item.caption));
  }
  Layout();
}

void MenuBar::Layout() {
  topRects_.clear();
  int x = 0;
  for (const auto& label : topLabels_) {
    const int w = std::max(label.width, 8 * scale_) + 2 * kTopPadding * scale_;
    topRects_.push_back(SDL_Rect{x, 0, w, BarHeight()});
    x += w;
  }
}

std::uint32_t MenuBar::CommandFor(MenuRole role) const {
  for (const auto& top : menu_.tops) {
    for (const auto& item : top.items) {
      if (item.role == role && item.enabled) return item.commandId;
    }
  }
  return 0;
}

SDL_Rect MenuBar::DropDownRect() const {
  if (open_ < 0) return SDL_Rect{};
  int w = 0;
  for (const auto& label : itemLabels_[static_cast<std::size_t>(open_)]) w = std::max(w, label.width);
  const int count = static_cast<int>(menu_.tops[static_cast<std::size_t>(open_)].items.size());
  const int s = scale_;
  return SDL_Rect{topRects_[static_cast<std::size_t>(open_)].x, BarHeight(),
                  w + (kItemLeft + kItemRight + 2 * kDropBorder) * s, (count * kItemHeight + 2 * kDropBorder) * s};
}

int MenuBar::TopAt(int x, int y) const {
  if (y < 0 || y >= BarHeight()) return -1;
  for (std::size_t i = 0; i < topRects_.size(); ++i) {
    const auto& r = topRects_[i];
    if (x >= r.x && x < r.x + r.w) return static_cast<int>(i);
  }
  return -1;
}

int MenuBar::ItemAt(int x, int y) const {
  if (open_ < 0) return -1;
  const SDL_Rect r = DropDownRect();
  const int border = kDropBorder * scale_;
  if (x < r.x + border || x >= r.x + r.w - border || y < r.y + border) return -1;
  const int i = (y - r.y - border) / (kItemHeight * scale_);
  return i < static_cast<int>(menu_.tops[static_cast<std::size_t>(open_)].items.size()) ? i : -1;
}

void MenuBar::OpenMenu(int top, int selected, MenuOutcome& outcome) {
  if (open_ < 0) outcome.opened = true;
  if (top != open_ || selected != selected_) outcome.changed = true;
  open_ = top;
  selected_ = selected;
}

void MenuBar::Close(MenuOutcome& outcome) {
  if (open_ < 0) return;
  open_ = -1;
  selected_ = -1;
  outcome.closed = true;
  outcome.changed = true;
}

void MenuBar::Select(int item, MenuOutcome& outcome) {
  if (item == selected_) return;
  selected_ = item;
  outcome.changed = true;
}

void MenuBar::Choose(int item, MenuOutcome& outcome) {
  const auto& desc = menu_.tops[static_cast<std::size_t>(open_)].items[static_cast<std::size_t>(item)];
  // A disabled item is not chosen, and the menu stays open, as it does.
  if (!desc.enabled) return;
  const std::uint32_t command = desc.commandId;
  Close(outcome);
  outcome.command = command;
}

bool MenuBar::HandleKey(const SDL_KeyboardEvent& key, MenuOutcome& outcome) {
  if (Empty()) return false;
  const SDL_Keycode sym = key.keysym.sym;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  if (open_ < 0) {
    if (key.type != SDL_KEYDOWN || key.repeat) return false;
    if (sym == SDLK_F10 && !(key.keysym.mod & (KMOD_SHIFT | KMOD_CTRL))) {
      OpenMenu(0, 0, outcome);
      return true;
    }
    if (alt && sym >= SDLK_a && sym <= SDLK_z) {
      const char letter = static_cast<char>('A' + (sym - SDLK_a));
      for (std::size_t i = 0; i < topLabels_.size(); ++i) {
        if (topLabels_[i].accelerator == letter && menu_.tops[i].enabled) {
          OpenMenu(static_cast<int>(i), 0, outcome);
          return true;
        }
      }
    }
    return false;
  }
  // An open menu takes every key; releases are left to the window so that
  // its keyboard state does not keep them held.
  if (key.type != SDL_KEYDOWN) return false;
  const auto& items = menu_.tops[static_cast<std::size_t>(open_)].items;
  const int count = static_cast<int>(items.size());
  const int tops = static_cast<int>(menu_.tops.size());
  switch (sym) {
    case SDLK_ESCAPE:
    case SDLK_F10:
      Close(outcome);
      return true;
    case SDLK_UP:
      if (count > 0) Select(selected_ <= 0 ? count - 1 : selected_ - 1, outcome);
      return true;
    case SDLK_DOWN:
      if (count > 0) Select(selected_ < 0 || selected_ + 1 >= count ? 0 : selected_ + 1, outcome);
      return true;
    case SDLK_LEFT:
      OpenMenu((open_ + tops - 1) % tops, 0, outcome);
      return true;
    case SDLK_RIGHT:
      OpenMenu((open_ + 1) % tops, 0, outcome);
      return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_SPACE:
      if (selected_ >= 0) Choose(selected_, outcome);
      return true;
    default:
      break;
  }
  if (sym >= SDLK_a && sym <= SDLK_z) {
    const char letter = static_cast<char>('A' + (sym - SDLK_a));
    const auto& labels = itemLabels_[static_cast<std::size_t>(open_)];
    for (int i = 0; i < count; ++i) {
      if (labels[static_cast<std::size_t>(i)].accelerator == letter) {
        Select(i, outcome);
        Choose(i, outcome);
        return true;
      }
    }
  }
  return true;
}

bool MenuBar::HandleButton(int x, int y, bool barShown, MenuOutcome& outcome) {
  if (Empty()) return false;
  const int top = TopAt(x, y);
  if (open_ < 0) {
    if (!barShown || top < 0 || !menu_.tops[static_cast<std::size_t>(top)].enabled) return false;
    OpenMenu(top, -1, outcome);
    return true;
  }
  if (top >= 0) {
    // A click on the open top item closes it, on another one switches.
    if (top == open_) {
      Close(outcome);
    } else {
      OpenMenu(top, -1, outcome);
    }
    return true;
  }
  const int item = ItemAt(x, y);
  if (item >= 0) {
    Select(item, outcome);
    Choose(item, outcome);
  } else {
    Close(outcome);
  }
  return true;
}

bool MenuBar::HandleMotion(int x, int y) {
  if (open_ < 0) return false;
  MenuOutcome outcome;
  const int top = TopAt(x, y);
  if (top >= 0 && top != open_) {
    OpenMenu(top, -1, outcome);
  } else if (const int item = ItemAt(x, y); item >= 0) {
    Select(item, outcome);
  }
  return outcome.changed;
}

void MenuBar::Draw(int x, int y, int width, bool showBar) {
  SDL_Renderer* r = renderer_;
  if (!r || Empty()) return;
  const int s = scale_;
  const int barHeight = BarHeight();
  if (showBar || open_ >= 0) {
    Fill(r, SDL_Rect{x, y, width, barHeight}, kFace);
    for (std::size_t i = 0; i < topRects_.size(); ++i) {
      const SDL_Rect box{x + topRects_[i].x, y, topRects_[i].w, barHeight};
      const bool open = static_cast<int>(i) == open_;
      const int right = box.x + box.w - s, bottom = box.y + box.h - 2 * s;
      if (open) {
        // The open item looks pressed in.
        HLine(r, box.x, right, box.y + s, kShadow, s);
        VLine(r, box.x, box.y + s, bottom, kShadow, s);
        VLine(r, right, box.y + s, bottom, kLight, s);
        HLine(r, box.x, right, bottom, kLight, s);
      }
      const Label& label = topLabels_[i];
      const int variant = menu_.tops[i].enabled ? 0 : 2;
      const int tx = box.x + kTopPadding * s + (open ? s : 0);
      const int ty = box.y + (barHeight - label.height) / 2 + (open ? s : 0);
      if (label.text[variant]) {
        SDL_Rect dst{tx, ty, label.width, label.height};
        SDL_RenderCopy(r, label.text[variant], nullptr, &dst);
      }
      if (label.underlineX >= 0) {
        HLine(r, tx + label.underlineX, tx + label.underlineX + label.underlineWidth - s, ty + label.height - s,
              kText[variant], s);
      }
    }
  }
  if (open_ < 0) return;
  SDL_Rect drop = DropDownRect();
  drop.x += x;
  drop.y += y;
  Fill(r, drop, kFace);
  const int left = drop.x, top = drop.y, right = drop.x + drop.w - s, bottom = drop.y + drop.h - s;
  HLine(r, left + s, right - 2 * s, top + s, kLight, s);
  VLine(r, left + s, top + s, bottom - 2 * s, kLight, s);
  VLine(r, right - s, top + s, bottom - s, kShadow, s);
  HLine(r, left + s, right - s, bottom - s, kShadow, s);
  VLine(r, right, top, bottom, kDark, s);
  HLine(r, left, right, bottom, kDark, s);
  const auto& items = menu_.tops[static_cast<std::size_t>(open_)].items;
  const auto& labels = itemLabels_[static_cast<std::size_t>(open_)];
  const int itemHeight = kItemHeight * s;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SDL_Rect row{drop.x + kDropBorder * s, drop.y + kDropBorder * s + static_cast<int>(i) * itemHeight,
                       drop.w - 2 * kDropBorder * s, itemHeight};
    const bool highlighted = static_cast<int>(i) == selected_;
    if (highlighted) Fill(r, row, kHighlight);
    const int variant = !items[i].enabled ? 2 : highlighted ? 1 : 0;
    const Label& label = labels[i];
    const int tx = row.x + kItemLeft * s;
    const int ty = row.y + (itemHeight - label.height) / 2;
    if (label.text[variant]) {
      SDL_Rect dst{tx, ty, label.width, label.height};
      SDL_RenderCopy(r, label.text[variant], nullptr, &dst);
    }
    if (label.underlineX >= 0) {
      HLine(r, tx + label.underlineX, tx + label.underlineX + label.underlineWidth - s, ty + label.height - s,
            kText[variant], s);
    }
    if (items[i].checked) {
      // A tick of two strokes, two pixels thick, drawn pixel by pixel.
      const int cx = row.x + 6 * s, cy = row.y + itemHeight / 2;
      for (int d = 0; d < 2; ++d) {
        for (int t = 0; t <= 2; ++t) Fill(r, SDL_Rect{cx + t * s, cy + (t - 1 + d) * s, s, s}, kText[variant]);
        for (int t = 0; t <= 4; ++t) Fill(r, SDL_Rect{cx + (2 + t) * s, cy + (1 - t + d) * s, s, s}, kText[variant]);
      }
    }
  }
}

}  // namespace platform::sdl
