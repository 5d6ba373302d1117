// Components, menus and the window-procedure thunks.
#include <algorithm>
#include <array>
#include <utility>

#include "platform/forms.h"
#include "platform/window/window_table.h"

// --- components --------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
  if (!AOwner) return;
  AOwner->Insert(this);
  if (AOwner->state_.Contains(csLoading)) state_.Include(csLoading);
  if (AOwner->state_.Contains(csDesigning)) state_.Include(csDesigning);
}

TComponent::~TComponent() {
  state_.Include(csDestroying);
  DestroyComponents();
  if (owner_) owner_->Remove(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw platform::Exception("component index out of bounds");
  return components_[static_cast<std::size_t>(index)];
}

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
  for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::DestroyComponents() {
  // Newest first: a later component may lean on an earlier one to its end.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    Remove(last);
    delete last;
  }
}

void TComponent::SetLoadingState(bool loading) {
  if (loading) {
    state_.Include(csLoading);
  } else {
    state_.Exclude(csLoading);
  }
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

// --- menus ---------------------------------------------------------------------

namespace {
// Command ids are unique in the process, as the menu's command pool makes them.
WORD NextCommand() {
  static WORD next = 0;
  if (++next == 0) next = 1;
  return next;
}
}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  for (TMenuItem* child : items_) child->parent_ = nullptr;
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Changed();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void TMenuItem::SetScreenModeRole(platform::MenuRole role) {
  role_ = role;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) {
  if (!item || item == this) throw platform::Exception("a menu item cannot hold itself");
  if (item->parent_) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  Changed();
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw platform::Exception("menu index out of bounds");
  return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::Changed() {
  TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  if (root->menu_) root->menu_->Changed();
}

TMenuItem* TMenuItem::Find(WORD command) {
  if (command_ == command) return this;
  for (TMenuItem* child : items_) {
    if (TMenuItem* found = child->Find(command)) return found;
  }
  return nullptr;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TComponent(AOwner), root_(new TMenuItem(nullptr)) { root_->menu_ = this; }

TMainMenu::~TMainMenu() {
  if (form_ && form_->Menu() == this) form_->SetMenu(nullptr);
  root_->menu_ = nullptr;
  delete root_;
}

TMenuItem* TMainMenu::FindItem(WORD command) const {
  for (int i = 0; i < root_->Count(); ++i) {
    if (TMenuItem* found = root_->Items(i)->Find(command)) return found;
  }
  return nullptr;
}

platform::MenuDesc TMainMenu::Describe() const {
  platform::MenuDesc desc;
  for (int i = 0; i < root_->Count(); ++i) {
    const TMenuItem* top = root_->Items(i);
    platform::MenuTopDesc t;
    t.caption = top->Caption();
    t.enabled = top->Enabled();
    for (int j = 0; j < top->Count(); ++j) {
      const TMenuItem* item = top->Items(j);
      t.items.push_back(platform::MenuItemDesc{item->Caption(), item->Command(), item->Checked(), item->Enabled(),
                                               item->ScreenModeRole()});
    }
    desc.tops.push_back(std::move(t));
  }
  return desc;
}

void TMainMenu::Changed() {
  if (form_) form_->MenuChanged();
}

// --- window-procedure thunks ---------------------------------------------------------

namespace {

constexpr std::size_t kThunks = 64;

struct ThunkSlot {
  TWndMethod method;
  bool used = false;
};

std::array<ThunkSlot, kThunks>& Slots() {
  static std::array<ThunkSlot, kThunks> slots;
  return slots;
}

template <std::size_t I>
LRESULT Thunk(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  auto& slot = Slots()[I];
  if (slot.used && slot.method) RaiseEvent([&] { slot.method(m); });
  return m.Result;
}

template <std::size_t... I>
constexpr std::array<WNDPROC, kThunks> MakeThunkTable(std::index_sequence<I...>) {
  return {&Thunk<I>...};
}

constexpr std::array<WNDPROC, kThunks> kThunkTable = MakeThunkTable(std::make_index_sequence<kThunks>{});

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
  auto& slots = Slots();
  for (std::size_t i = 0; i < kThunks; ++i) {
    if (!slots[i].used) {
      slots[i].used = true;
      slots[i].method = std::move(method);
      return kThunkTable[i];
    }
  }
  throw platform::Exception("no window-procedure thunk is free");
}

void FreeObjectInstance(WNDPROC procedure) {
  for (std::size_t i = 0; i < kThunks; ++i) {
    if (kThunkTable[i] == procedure) {
      Slots()[i].used = false;
      Slots()[i].method = nullptr;
    }
  }
}
