#include "platform/backend/sdl/sdl_menu.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace platform::sdl {
namespace {

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

void Line(SDL_Renderer* r, int x1, int y1, int x2, int y2, SDL_Color c) {
  SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a);
  SDL_RenderDrawLine(r, x1, y1, x2, y2);
}

}  // namespace

MenuBar::~MenuBar() { Release(); }

void MenuBar::Release() {
  FreeLabels();
  if (font_) TTF_CloseFont(font_);
  font_ = nullptr;
  renderer_ = nullptr;
}

bool MenuBar::Init(SDL_Renderer* renderer) {
  renderer_ = renderer;
  if (!TTF_WasInit() && TTF_Init() != 0) return false;
  const std::string file = FindJapaneseFont();
  if (file.empty()) return false;
  font_ = TTF_OpenFont(file.c_str(), kFontPixels);
  return font_ != nullptr;
}

MenuBar::Label MenuBar::MakeLabel(const std::string& caption) {
  Label label;
  std::size_t at = 0;
  const std::string shown = ShownText(caption, at, label.accelerator);
  if (!font_ || shown.empty()) return label;
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
  for (const auto& top : menu_.tops) {
    topLabels_.push_back(MakeLabel(top.caption));
    itemLabels_.emplace_back();
    for (const auto& item : top.items) itemLabels_.back().push_back(MakeLabel(item.caption));
  }
  Layout();
  if (open_ >= static_cast<int>(menu_.tops.size())) {
    open_ = -1;
    selected_ = -1;
  }
}

void MenuBar::Layout() {
  topRects_.clear();
  int x = 0;
  for (const auto& label : topLabels_) {
    const int w = std::max(label.width, 8) + 2 * kTopPadding;
    topRects_.push_back(SDL_Rect{x, 0, w, kBarHeight});
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
  return SDL_Rect{topRects_[static_cast<std::size_t>(open_)].x, kBarHeight, w + kItemLeft + kItemRight + 2 * kDropBorder,
                  count * kItemHeight + 2 * kDropBorder};
}

int MenuBar::TopAt(int x, int y) const {
  if (y < 0 || y >= kBarHeight) return -1;
  for (std::size_t i = 0; i < topRects_.size(); ++i) {
    const auto& r = topRects_[i];
    if (x >= r.x && x < r.x + r.w) return static_cast<int>(i);
  }
  return -1;
}

int MenuBar::ItemAt(int x, int y) const {
  if (open_ < 0) return -1;
  const SDL_Rect r = DropDownRect();
  if (x < r.x + kDropBorder || x >= r.x + r.w - kDropBorder || y < r.y + kDropBorder) return -1;
  const int i = (y - r.y - kDropBorder) / kItemHeight;
  return i < static_cast<int>(menu_.tops[static_cast<std::size_t>(open_)].items.size()) ? i : -1;
}

void MenuBar::OpenMenu(int top, int selected, MenuOutcome& outcome) {
  if (open_ < 0) outcome.opened = true;
  open_ = top;
  selected_ = selected;
}

void MenuBar::Close(MenuOutcome& outcome) {
  if (open_ < 0) return;
  open_ = -1;
  selected_ = -1;
  outcome.closed = true;
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
      if (count > 0) selected_ = selected_ <= 0 ? count - 1 : selected_ - 1;
      return true;
    case SDLK_DOWN:
      if (count > 0) selected_ = selected_ < 0 || selected_ + 1 >= count ? 0 : selected_ + 1;
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
        selected_ = i;
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
    selected_ = item;
    Choose(item, outcome);
  } else {
    Close(outcome);
  }
  return true;
}

void MenuBar::HandleMotion(int x, int y) {
  if (open_ < 0) return;
  const int top = TopAt(x, y);
  if (top >= 0 && top != open_) {
    MenuOutcome ignored;
    OpenMenu(top, -1, ignored);
    return;
  }
  const int item = ItemAt(x, y);
  if (item >= 0) selected_ = item;
}

void MenuBar::Draw(int x, int y, int width, bool showBar) {
  SDL_Renderer* r = renderer_;
  if (!r || Empty()) return;
  if (showBar || open_ >= 0) {
    Fill(r, SDL_Rect{x, y, width, kBarHeight}, kFace);
    for (std::size_t i = 0; i < topRects_.size(); ++i) {
      const SDL_Rect box{x + topRects_[i].x, y, topRects_[i].w, kBarHeight};
      const bool open = static_cast<int>(i) == open_;
      if (open) {
        // The open item looks pressed in.
        Line(r, box.x, box.y + 1, box.x + box.w - 1, box.y + 1, kShadow);
        Line(r, box.x, box.y + 1, box.x, box.y + box.h - 2, kShadow);
        Line(r, box.x + box.w - 1, box.y + 1, box.x + box.w - 1, box.y + box.h - 2, kLight);
        Line(r, box.x, box.y + box.h - 2, box.x + box.w - 1, box.y + box.h - 2, kLight);
      }
      const Label& label = topLabels_[i];
      const int variant = menu_.tops[i].enabled ? 0 : 2;
      const int tx = box.x + kTopPadding + (open ? 1 : 0);
      const int ty = box.y + (kBarHeight - label.height) / 2 + (open ? 1 : 0);
      if (label.text[variant]) {
        SDL_Rect dst{tx, ty, label.width, label.height};
        SDL_RenderCopy(r, label.text[variant], nullptr, &dst);
      }
      if (label.underlineX >= 0) {
        Line(r, tx + label.underlineX, ty + label.height - 1, tx + label.underlineX + label.underlineWidth - 1,
             ty + label.height - 1, kText[variant]);
      }
    }
  }
  if (open_ < 0) return;
  SDL_Rect drop = DropDownRect();
  drop.x += x;
  drop.y += y;
  Fill(r, drop, kFace);
  Line(r, drop.x, drop.y, drop.x + drop.w - 2, drop.y, kFace);
  Line(r, drop.x + 1, drop.y + 1, drop.x + drop.w - 3, drop.y + 1, kLight);
  Line(r, drop.x + 1, drop.y + 1, drop.x + 1, drop.y + drop.h - 3, kLight);
  Line(r, drop.x + drop.w - 2, drop.y + 1, drop.x + drop.w - 2, drop.y + drop.h - 2, kShadow);
  Line(r, drop.x + 1, drop.y + drop.h - 2, drop.x + drop.w - 2, drop.y + drop.h - 2, kShadow);
  Line(r, drop.x + drop.w - 1, drop.y, drop.x + drop.w - 1, drop.y + drop.h - 1, kDark);
  Line(r, drop.x, drop.y + drop.h - 1, drop.x + drop.w - 1, drop.y + drop.h - 1, kDark);
  const auto& items = menu_.tops[static_cast<std::size_t>(open_)].items;
  const auto& labels = itemLabels_[static_cast<std::size_t>(open_)];
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SDL_Rect row{drop.x + kDropBorder, drop.y + kDropBorder + static_cast<int>(i) * kItemHeight,
                       drop.w - 2 * kDropBorder, kItemHeight};
    const bool highlighted = static_cast<int>(i) == selected_;
    if (highlighted) Fill(r, row, kHighlight);
    const int variant = !items[i].enabled ? 2 : highlighted ? 1 : 0;
    const Label& label = labels[i];
    const int tx = row.x + kItemLeft;
    const int ty = row.y + (kItemHeight - label.height) / 2;
    if (label.text[variant]) {
      SDL_Rect dst{tx, ty, label.width, label.height};
      SDL_RenderCopy(r, label.text[variant], nullptr, &dst);
    }
    if (label.underlineX >= 0) {
      Line(r, tx + label.underlineX, ty + label.height - 1, tx + label.underlineX + label.underlineWidth - 1,
           ty + label.height - 1, kText[variant]);
    }
    if (items[i].checked) {
      const int cx = row.x + 6, cy = row.y + kItemHeight / 2;
      for (int d = 0; d < 2; ++d) {
        Line(r, cx, cy - 1 + d, cx + 2, cy + 1 + d, kText[variant]);
        Line(r, cx + 2, cy + 1 + d, cx + 6, cy - 3 + d, kText[variant]);
      }
    }
  }
}

}  // namespace platform::sdl
