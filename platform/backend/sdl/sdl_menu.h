// The menu bar and its drop-down, drawn with SDL2_ttf and driven by mouse
// and keyboard as a window's menu is: a click or Alt + the accelerator or
// F10 opens it, arrows move, Enter or an item's accelerator chooses, Escape
// or a click elsewhere closes it. It is drawn at a whole scale (1 the
// window layer's own metrics): sizes, font and lines all grow with it, and
// mouse positions are in the scaled pixels.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend/backend.h"

namespace platform::sdl {

// What an input did to the menu: the back end turns it into menu-loop and
// command events, in that order.
struct MenuOutcome {
  bool opened = false;
  bool closed = false;
  std::uint32_t command = 0;  // 0: nothing chosen
  bool changed = false;       // what the menu shows changed: draw it again
};

class MenuBar {
 public:
  MenuBar() = default;
  ~MenuBar();
  MenuBar(const MenuBar&) = delete;
  MenuBar& operator=(const MenuBar&) = delete;

  // Opens the font. False when no Japanese-capable font is found; the bar
  // then shows without captions.
  bool Init(SDL_Renderer* renderer);
  // Draws with RENDERER from now on (the captions are made again for it).
  void Rebind(SDL_Renderer* renderer);
  // Frees the textures and the font (before the renderer goes).
  void Release();
  void Set(const MenuDesc& menu);
  // Draws at SCALE (1 or more) from now on.
  void SetScale(int scale);
  int Scale() const { return scale_; }
  // The bar's height at the current scale.
  int BarHeight() const;
  bool Empty() const { return menu_.tops.empty(); }
  bool IsOpen() const { return open_ >= 0; }
  // The item that has ROLE, or 0.
  std::uint32_t CommandFor(MenuRole role) const;

  // Keyboard: true when the menu took the key.
  bool HandleKey(const SDL_KeyboardEvent& key, MenuOutcome& outcome);
  // Mouse, in coordinates relative to the bar's top-left corner. BAR_SHOWN
  // says whether a click on the bar can open a menu.
  bool HandleButton(int x, int y, bool barShown, MenuOutcome& outcome);
  // True when the highlight moved (or another menu opened).
  bool HandleMotion(int x, int y);
  void Close(MenuOutcome& outcome);

  // Draws the bar (when SHOW_BAR) at (X, Y), WIDTH wide, and the open
  // drop-down below it.
  void Draw(int x, int y, int width, bool showBar);
  // The open drop-down's place relative to the bar's top-left; empty when
  // none is open.
  SDL_Rect DropDownRect() const;

 private:
  struct Label {
    SDL_Texture* text[3] = {};  // normal, highlighted, disabled
    int width = 0;
    int height = 0;
    int underlineX = -1;  // the accelerator's place, -1 without one
    int underlineWidth = 0;
    char accelerator = 0;  // upper case
  };

  Label MakeLabel(const std::string& caption);
  void MakeLabels();
  void FreeLabels();
  bool OpenFont();
  void Select(int item, MenuOutcome& outcome);
  void Layout();
  void OpenMenu(int top, int selected, MenuOutcome& outcome);
  void Choose(int item, MenuOutcome& outcome);
  int TopAt(int x, int y) const;
  int ItemAt(int x, int y) const;

  SDL_Renderer* renderer_ = nullptr;
  TTF_Font* font_ = nullptr;                         // at the current scale
  std::vector<std::pair<int, TTF_Font*>> fonts_;     // every scale's, by scale
  std::string fontFile_;
  int scale_ = 1;
  MenuDesc menu_;
  std::vector<Label> topLabels_;
  std::vector<std::vector<Label>> itemLabels_;
  std::vector<SDL_Rect> topRects_;  // relative to the bar
  int open_ = -1;      // open top item
  int selected_ = -1;  // highlighted item of the open drop-down
};

}  // namespace platform::sdl
