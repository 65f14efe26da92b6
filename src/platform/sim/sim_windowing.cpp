#include "platform/sim/sim_windowing.h"

#include <algorithm>

#include "base/checked.h"
#include "base/errors.h"

namespace tolvarin::sim {

namespace {

bool Contains(const RectL& rect, std::int32_t x, std::int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

// ---------------------------------------------------------------- timers

SimTimer::SimTimer(SimWindowing& windowing, std::int32_t interval, bool enabled)
    : windowing_(windowing), interval_(interval) {
  SetEnabled(enabled);
}

void SimTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due = windowing_.clock().Now() + std::int64_t(std::max(interval_, 1)) * 1000;
  enabled_ = enabled;
}

void SimTimer::SetInterval(std::int32_t milliseconds) {
  interval_ = milliseconds;
  if (enabled_) due = windowing_.clock().Now() + std::int64_t(std::max(interval_, 1)) * 1000;
}

// ---------------------------------------------------------------- picture surfaces

SimSurface::SimSurface(SimForm& owner, bool shown) : form(owner), visible(shown), controls(owner.windowing()) {
  UpdateRecord();
}

void SimSurface::SetSize(double width, double height) {
  // As on Windows: a size that cannot be a window's is refused, never clamped.
  if (!(width >= 0 && height >= 0 && width < 1e6 && height < 1e6)) RaiseInvalidPropertyValue();
  bitmap.Resize(TwipsToPixels(width, 1), TwipsToPixels(height, 1), PixelFromColor(form.BackColor()));
  UpdateRecord();
}

void SimSurface::Move(double l, double t) {
  left = l;
  top = t;
}

RectL SimSurface::ClientRect() const {
  const std::int32_t x = TwipsToPixels(left, 1), y = TwipsToPixels(top, 1);
  return RectL{x, y, x + bitmap.width, y + bitmap.height};
}

void SimSurface::SetPicture(const Bitmap& picture) {
  Fill(ViewOf(bitmap), PixelFromColor(form.BackColor()));
  CopyBlock(ViewOf(bitmap), 0, 0, picture.width, picture.height,
            ViewOf(const_cast<Bitmap&>(picture)), 0, 0);
}

void SimSurface::Refresh() { form.windowing().Present(*this); }

void SimSurface::RefreshUnchanged() {
  ++form.windowing().unchangedRefreshes;
  form.windowing().Pace();
}

namespace {

class SimCardFrames final : public CardFrames {
 public:
  explicit SimCardFrames(SimWindowing& windowing) : windowing_(windowing) {}
  Outcome Present(std::int32_t offset) override {
    if (windowing_.cardFailsAfter && std::int64_t(windowing_.cardOffsets.size()) >= *windowing_.cardFailsAfter)
      return Outcome::Failed;
    if (windowing_.cardBusyEvery > 0 && ++asked_ % windowing_.cardBusyEvery == 0) {
      ++windowing_.cardBusyRefreshes;
      windowing_.Pace();
      return Outcome::Busy;
    }
    windowing_.cardOffsets.push_back(offset);
    windowing_.Pace();
    return Outcome::Shown;
  }
  void ReleaseDevice() override {}

 private:
  SimWindowing& windowing_;
  std::int64_t asked_ = 0;
};

}  // namespace

std::unique_ptr<CardFrames> SimSurface::OpenCardFrames(PictureSurface&) {
  SimWindowing& windowing = form.windowing();
  ++windowing.cardOpens;
  if (!windowing.cardAvailable) return nullptr;
  return std::make_unique<SimCardFrames>(windowing);
}

void SimSurface::UpdateRecord() {
  record_.magic = GPX_SURFACE_MAGIC;
  record_.width = bitmap.width;
  record_.height = bitmap.height;
  record_.stride = bitmap.width * 4;
  record_.pixels = bitmap.pixels.data();
}

// ---------------------------------------------------------------- forms

SimForm::SimForm(SimWindowing& windowing, const FormDesign& formDesign)
    : design(formDesign), controls(windowing), windowing_(windowing), backColor_(formDesign.backColor) {
  if (design.fixedDialog) {
    // The outer size is the client area with the frame around it.
    width_ = design.clientWidth + (2 * kFrameSide) * windowing_.TwipsPerPixelX();
    height_ = design.clientHeight + (kFrameTop + kFrameBottom) * windowing_.TwipsPerPixelY();
  }
  hwnd_ = windowing_.desktop().CreateWindowEntry(design.caption, RectL{}, this);
  // As the Windows backend makes them: borderless forms are pop-up windows.
  if (design.borderless) windowing_.desktop().Find(hwnd_)->style = kWsPopup;
  windowing_.Register(this);
}

SimForm::~SimForm() {
  if (!destroyed_) windowing_.desktop().RemoveWindow(hwnd_);
  windowing_.Forget(this);
}

void SimForm::Move(double left, double top, double width, double height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  SyncWindowRect();
}

double SimForm::ScaleWidth() const {
  if (!design.fixedDialog) return TwipsToPixels(width_, windowing_.TwipsPerPixelX());
  if (windowState_ == 1) return 0;  // minimised: no client area
  return std::max(0, TwipsToPixels(width_, windowing_.TwipsPerPixelX()) - 2 * kFrameSide);
}

double SimForm::ScaleHeight() const {
  if (!design.fixedDialog) return TwipsToPixels(height_, windowing_.TwipsPerPixelY());
  if (windowState_ == 1) return 0;
  return std::max(0, TwipsToPixels(height_, windowing_.TwipsPerPixelY()) - kFrameTop - kFrameBottom);
}

RectL SimForm::ScreenRect() const {
  std::int32_t x = TwipsToPixels(left_, windowing_.TwipsPerPixelX());
  std::int32_t y = TwipsToPixels(top_, windowing_.TwipsPerPixelY());
  if (design.fixedDialog) x += kFrameSide, y += kFrameTop;
  RectL rect{x, y, x + std::int32_t(ScaleWidth()), y + std::int32_t(ScaleHeight())};
  if (const SimWindow* window = windowing_.desktop().Find(hwnd_); window && window->parent) {
    // A child window is placed in its parent's client area.
    if (const SimWindow* parent = windowing_.desktop().Find(window->parent)) {
      rect.left += parent->rect.left;
      rect.right += parent->rect.left;
      rect.top += parent->rect.top;
      rect.bottom += parent->rect.top;
    }
  }
  return rect;
}

void SimForm::SyncWindowRect() {
  if (SimWindow* window = windowing_.desktop().Find(hwnd_)) window->rect = OuterRect();
  ClientSizeChanged();
}

void SimForm::Show() {
  if (destroyed_) return;
  visible_ = true;
  if (SimWindow* window = windowing_.desktop().Find(hwnd_)) {
    window->visible = true;
    window->rect = OuterRect();
  }
  // A child window never takes the activation; a window with both WS_CHILD
  // and WS_POPUP is a pop-up to the platform and does.
  const SimWindow* window = windowing_.desktop().Find(hwnd_);
  if (!window || !(window->style & kWsChild) || (window->style & kWsPopup)) {
    windowing_.Activate(this);
    windowing_.desktop().focus = hwnd_;
  }
  ClientSizeChanged();
  windowing_.Recompose();
}

PictureSurface& SimForm::AddPictureSurface(bool visible) {
  surfaces.push_back(std::make_unique<SimSurface>(*this, visible));
  return *surfaces.back();
}

Timer& SimForm::AddTimer(std::int32_t intervalMilliseconds, bool enabled) {
  timers.push_back(std::make_unique<SimTimer>(windowing_, intervalMilliseconds, enabled));
  return *timers.back();
}

UserControlSurface& SimForm::AddUserControl(const std::string& className) {
  userControls.push_back(std::make_unique<SimUserControl>(*this, className));
  return *userControls.back();
}

void SimForm::Unload(UnloadMode mode) {
  if (destroyed_) return;
  if (onQueryUnload) {
    std::int32_t cancel = 0;
    onQueryUnload(cancel, mode);
    if (cancel) return;
  }
  DestroyWindow();
}

void SimForm::DestroyWindow() {
  if (destroyed_) return;
  destroyed_ = true;
  for (auto& timer : timers) timer->SetEnabled(false);
  for (auto& control : userControls) windowing_.Forget(control.get());
  if (onUnload) onUnload();
  visible_ = false;
  windowing_.desktop().RemoveWindow(hwnd_);
  windowing_.Recompose();
}

void SimForm::Paint(Bitmap& screen) {
  if (!visible_ || destroyed_) return;
  const RectL rect = ScreenRect();
  Bitmap client(rect.right - rect.left, rect.bottom - rect.top, PixelFromColor(backColor_));
  CopyBlock(ViewOf(client), 0, 0, canvas.width, canvas.height, ViewOf(canvas), 0, 0);
  windowless.Paint(client);
  for (const auto& surface : surfaces) {
    if (!surface->visible) continue;
    Bitmap shown = surface->bitmap;
    surface->windowless.Paint(shown);
    const RectL at = surface->ClientRect();
    CopyBlock(ViewOf(client), at.left, at.top, shown.width, shown.height, ViewOf(shown), 0, 0);
  }
  for (const auto& control : userControls) control->Paint(client);
  const RectL& origin = windowing_.desktop().VirtualScreen();
  CopyBlock(ViewOf(screen), rect.left - origin.left, rect.top - origin.top, client.width, client.height,
            ViewOf(client), 0, 0);
}

// ---------------------------------------------------------------- windowing

SimWindowing::SimWindowing(SimClock& clock, SimDesktop& desktop, double twipsPerPixelX,
                           double twipsPerPixelY)
    : clock_(clock), desktop_(desktop), twipsPerPixelX_(twipsPerPixelX), twipsPerPixelY_(twipsPerPixelY) {
  desktop_.onPostMessage = [this](Hwnd window, std::uint32_t message) {
    if (message == kWmClose) PostClose(window);
  };
  // A surface's device context is the address of its surface record.
  desktop_.SetSurfaceResolver([this](Hdc dc, PixelView& view) {
    for (SimForm* form : forms_)
      for (auto& surface : form->surfaces)
        if (surface->hDC() == dc) {
          view = ViewOf(surface->bitmap);
          return true;
        }
    for (SimForm* form : forms_)
      for (auto& control : form->userControls)
        if (control->hDC() == dc) {
          view = ViewOf(control->bitmap);
          return true;
        }
    return false;
  });
  desktop_.windowAt = [this](PointL point) { return WindowAt(point); };
}

std::unique_ptr<Form> SimWindowing::CreateForm(const FormDesign& design) {
  return std::make_unique<SimForm>(*this, design);
}

void SimWindowing::Forget(SimForm* form) {
  std::erase(forms_, form);
  if (active_ == form) active_ = nullptr;
  if (captureForm_ == form->hWnd()) {
    captureForm_ = 0;
    captureLayer_ = nullptr;
    buttonsDown_ = 0;
  }
}

SimForm* SimWindowing::FormOf(Hwnd window) {
  for (SimForm* form : forms_)
    if (form->hWnd() == window && !form->Destroyed()) return form;
  return nullptr;
}

std::size_t SimWindowing::LiveForms() const {
  return std::size_t(std::count_if(forms_.begin(), forms_.end(), [](SimForm* f) { return !f->Destroyed(); }));
}

void SimWindowing::Present(SimSurface& surface) {
  if (surface.visible && surface.form.Visible()) {
    const RectL rect = surface.form.ScreenRect();
    const RectL& origin = desktop_.VirtualScreen();
    const RectL at = surface.ClientRect();
    CopyBlock(ViewOf(desktop_.Screen()), rect.left - origin.left + at.left, rect.top - origin.top + at.top,
              surface.bitmap.width, surface.bitmap.height, ViewOf(surface.bitmap), 0, 0);
  }
  Pace();
}

void SimWindowing::Pace() {
  // Wait for the display to show the frame, as the Windows backend does.
  if (refreshInterval > 0) {
    const std::int64_t start = clock_.Now();
    bool flushed = false;
    if (flush != Flush::Off && pacing_.UseFlush()) {
      ++flushCalls;
      if (flush == Flush::WaitsForRefresh) clock_.AdvanceTo((start / refreshInterval + 1) * refreshInterval);
      if (flush == Flush::Blocks) clock_.Advance(flushBlock);
      flushed = flush != Flush::Fails;
    }
    WaitUntil(pacing_.After(flushed, start, clock_.Now(), refreshInterval));
  }
  ++refreshCount;
  if (recordRefreshTimes) refreshTimes.push_back(clock_.Now());
  if (haltAfterRefreshes && refreshCount >= *haltAfterRefreshes) throw SimHalt{};
}

void SimWindowing::WaitUntil(std::int64_t due) {
  while (clock_.Now() < due) {
    const auto next = NextWakeUp();
    if (!next || *next >= due) {
      clock_.AdvanceTo(due);
      break;
    }
    clock_.AdvanceTo(*next);
    DoEvents();
  }
}

void SimWindowing::WaitMessage() {
  ++waitMessageCalls;
  CheckHalt();
  AdvanceToNext(true);
}

bool SimWindowing::AdvanceToNext(bool mustWait) {
  const auto next = NextWakeUp();
  if (!next && !mustWait) return false;
  if (!next || (haltAt && *next > *haltAt)) {
    // Nothing arrives before the run is stopped (or ever).
    if (haltAt) clock_.AdvanceTo(*haltAt);
    throw SimHalt{};
  }
  clock_.AdvanceTo(*next);
  return true;
}

void SimWindowing::Recompose() {
  Bitmap& screen = desktop_.Screen();
  screen = desktop_.Wallpaper();
  for (Hwnd hwnd : desktop_.ZOrder())
    if (SimForm* form = FormOf(hwnd)) form->Paint(screen);
  // Child forms of foreign windows (a preview inside its host) come last.
  for (SimForm* form : forms_)
    if (const SimWindow* window = desktop_.Find(form->hWnd()); window && window->parent) form->Paint(screen);
}

void SimWindowing::DestroyForeignWindow(Hwnd window) {
  for (Hwnd child : desktop_.ChildrenOf(window)) {
    if (SimForm* form = FormOf(child))
      form->DestroyWindow();
    else
      DestroyForeignWindow(child);
  }
  desktop_.RemoveWindow(window);
}

void SimWindowing::Queue(SimEvent::Kind kind, std::int64_t at, std::int32_t keyCode, std::int32_t x,
                         std::int32_t y, Hwnd window) {
  events_.push_back(SimEvent{kind, at, keyCode, x, y, window});
}

void SimWindowing::PostKey(std::int32_t keyCode, std::int64_t at) { Queue(SimEvent::Kind::Key, at, keyCode); }
void SimWindowing::PostClick(std::int32_t x, std::int32_t y, std::int64_t at) {
  Queue(SimEvent::Kind::Click, at, 0, x, y);
}
void SimWindowing::PostMouseMove(std::int32_t x, std::int32_t y, std::int64_t at) {
  Queue(SimEvent::Kind::MouseMove, at, 0, x, y);
}
void SimWindowing::PostClose(Hwnd window, std::int64_t at) { Queue(SimEvent::Kind::Close, at, 0, 0, 0, window); }
void SimWindowing::PostEndSession(std::int64_t at) { Queue(SimEvent::Kind::EndSession, at); }

void SimWindowing::PostMouseDown(std::int32_t x, std::int32_t y, std::int16_t button, std::int16_t shift,
                                 std::int64_t at) {
  events_.push_back(SimEvent{SimEvent::Kind::MouseDown, at, button, x, y, 0, shift});
}
void SimWindowing::PostMouseUp(std::int32_t x, std::int32_t y, std::int16_t button, std::int16_t shift,
                               std::int64_t at) {
  events_.push_back(SimEvent{SimEvent::Kind::MouseUp, at, button, x, y, 0, shift});
}
void SimWindowing::PostFocus(Hwnd window, std::int64_t at) { Queue(SimEvent::Kind::Focus, at, 0, 0, 0, window); }

SimUserControl* SimWindowing::ControlOf(Hwnd window) {
  for (SimForm* form : forms_)
    if (!form->Destroyed())
      for (auto& control : form->userControls)
        if (control->hWnd() == window) return control.get();
  return nullptr;
}

void SimWindowing::Forget(SimUserControl* control) {
  if (focused_ == control) focused_ = nullptr;
  if (capture_ == control) {
    capture_ = nullptr;
    buttonsDown_ = 0;
  }
}

void SimWindowing::SetFocus(SimUserControl* control) {
  if (focused_ == control) return;
  SimUserControl* previous = focused_;
  focused_ = control;
  if (control) focus = nullptr;  // a native control loses the focus too
  if (previous && previous->onLostFocus) previous->onLostFocus();
  if (control && focused_ == control && control->onGotFocus) control->onGotFocus();
}

Hwnd SimWindowing::WindowAt(PointL point) {
  for (auto it = desktop_.ZOrder().rbegin(); it != desktop_.ZOrder().rend(); ++it) {
    const SimWindow* window = desktop_.Find(*it);
    if (!window || !window->visible || !Contains(window->rect, point.x, point.y)) continue;
    if (window->form) {
      if (!window->form->Visible() || window->form->Destroyed()) continue;
      for (auto c = window->form->userControls.rbegin(); c != window->form->userControls.rend(); ++c)
        if (Contains((*c)->ScreenRect(), point.x, point.y)) return (*c)->hWnd();
      return window->hwnd;
    }
    if (window->parent) continue;  // a control's window, found through its form
    return window->hwnd;
  }
  return 0;
}

namespace {

// The pointer event as a host's layer takes it, at a point of the host.
PointerInput InputOf(const SimEvent& event, std::int16_t held, PointL origin) {
  PointerInput input;
  input.kind = event.kind == SimEvent::Kind::MouseDown ? PointerInput::Kind::Down
               : event.kind == SimEvent::Kind::MouseUp ? PointerInput::Kind::Up
                                                       : PointerInput::Kind::Move;
  // Moves report the buttons held; presses and releases the one that changed.
  input.button = input.kind == PointerInput::Kind::Move ? held : std::int16_t(event.keyCode);
  input.shift = event.shift;
  input.held = held;
  input.x = event.x - origin.x;
  input.y = event.y - origin.y;
  return input;
}

}  // namespace

void SimWindowing::RoutePointer(const SimEvent& event) {
  const std::int16_t button = std::int16_t(event.keyCode);
  if (event.kind == SimEvent::Kind::MouseDown) buttonsDown_ = std::int16_t(buttonsDown_ | button);
  if (event.kind == SimEvent::Kind::MouseUp) buttonsDown_ = std::int16_t(buttonsDown_ & ~button);
  if (captureForm_) {
    // The form a press began on keeps the pointer until every button is up;
    // only the windowless controls where the press began hear of it.
    if (captureLayer_ && captureLayer_->layer) captureLayer_->layer->Pointer(InputOf(event, buttonsDown_, captureOrigin_));
    if (buttonsDown_ == 0) captureForm_ = 0, captureLayer_ = nullptr;
    return;
  }
  SimUserControl* target = capture_;
  if (!target) {
    const Hwnd under = WindowAt(PointL{event.x, event.y});
    target = ControlOf(under);
    if (!target) {
      SimForm* form = FormOf(under);
      if (!form) {
        buttonsDown_ = 0;
        return;
      }
      const RectL client = form->ScreenRect();
      std::int32_t x = event.x - client.left, y = event.y - client.top;
      SimLayerHost& host = form->LayerAt(x, y);
      const PointL origin{event.x - x, event.y - y};
      if (host.layer) host.layer->Pointer(InputOf(event, buttonsDown_, origin));
      // A press on a form (its background, its panels, their windowless
      // controls) captures the pointer for it, as a press on a control does.
      if (event.kind == SimEvent::Kind::MouseDown) {
        captureForm_ = under;
        captureLayer_ = &host;
        captureOrigin_ = origin;
      }
      return;
    }
  }
  if (event.kind == SimEvent::Kind::MouseDown && button == kLeftButton && focused_ != target) {
    SetFocus(target);
    if (!ControlOf(target->hWnd())) return;
  }
  if (event.kind == SimEvent::Kind::MouseDown) capture_ = target;
  if (event.kind == SimEvent::Kind::MouseUp && buttonsDown_ == 0) capture_ = nullptr;
  const RectL rect = target->ScreenRect();
  if (target->windowless.layer) target->windowless.layer->Pointer(InputOf(event, buttonsDown_, PointL{rect.left, rect.top}));
}

void SimWindowing::PostDeactivateApp(std::int64_t at) { Queue(SimEvent::Kind::DeactivateApp, at); }
void SimWindowing::PostDisplayChange(std::int64_t at) { Queue(SimEvent::Kind::DisplayChange, at); }
void SimWindowing::PostDisplayState(bool on, std::int64_t at) {
  Queue(SimEvent::Kind::DisplayState, at, on ? 1 : 0);
}
void SimWindowing::PostMciNotify(Hwnd window, std::uint32_t flags, std::uint32_t deviceId, std::int64_t at) {
  Queue(SimEvent::Kind::MciNotify, at, 0, 0, 0, window);
  events_.back().notifyFlags = flags;
  events_.back().deviceId = deviceId;
}

void SimWindowing::Dispatch(const SimEvent& event) {
  switch (event.kind) {
    case SimEvent::Kind::DeactivateApp:
    case SimEvent::Kind::DisplayChange: {
      // Broadcast to every top-level window of the program.
      const std::vector<SimForm*> forms = forms_;
      for (SimForm* form : forms) {
        if (form->Destroyed()) continue;
        auto& handler = event.kind == SimEvent::Kind::DeactivateApp ? form->onDeactivateApp : form->onDisplayChange;
        if (handler) handler();
      }
      break;
    }
    case SimEvent::Kind::DisplayState:
      displayOn_ = event.keyCode != 0;
      break;
    case SimEvent::Kind::Key: {
      // An open list takes Escape and Enter to close, before the form sees them.
      auto* list = dynamic_cast<SimComboBox*>(focus);
      if (list && list->dropped && (event.keyCode == kKeyEscape || event.keyCode == kKeyReturn)) {
        list->dropped = false;
        break;
      }
      std::int32_t key = event.keyCode;
      if (active_ && !active_->Destroyed() && active_->onKeyDown) active_->onKeyDown(key, event.shift);
      if (key != 0 && (focus || focused_)) keysToFocus.push_back(key);
      break;
    }
    case SimEvent::Kind::MouseMove:
      ++mouseMoves;
      desktop_.cursor = PointL{event.x, event.y};
      RoutePointer(event);
      break;
    case SimEvent::Kind::MouseDown:
    case SimEvent::Kind::MouseUp:
      desktop_.cursor = PointL{event.x, event.y};
      RoutePointer(event);
      break;
    case SimEvent::Kind::Focus:
      SetFocus(ControlOf(event.window));
      break;
    case SimEvent::Kind::Click: {
      // The topmost visible surface under the pointer gets the click.
      const auto& order = desktop_.ZOrder();
      for (auto it = order.rbegin(); it != order.rend(); ++it) {
        SimForm* form = FormOf(*it);
        if (!form || !form->Visible()) continue;
        const RectL rect = form->ScreenRect();
        if (!Contains(rect, event.x, event.y)) continue;
        std::int32_t x = event.x - rect.left, y = event.y - rect.top;
        if (SimSurface* surface = form->SurfaceAt(x, y); surface && surface->onClick) surface->onClick();
        return;
      }
      break;
    }
    case SimEvent::Kind::Close:
      if (SimForm* form = FormOf(event.window)) form->Unload(UnloadMode::FormControlMenu);
      break;
    case SimEvent::Kind::MciNotify:
      // A message for a window that is gone is dropped.
      if (SimForm* form = FormOf(event.window); form && form->onMciNotify)
        form->onMciNotify(event.notifyFlags, event.deviceId);
      break;
    case SimEvent::Kind::EndSession: {
      const std::vector<SimForm*> forms = forms_;
      for (SimForm* form : forms)
        if (!form->Destroyed()) form->Unload(UnloadMode::AppWindows);
      break;
    }
  }
}

void SimWindowing::FireDueTimers() {
  // One tick per due timer and pass, as WM_TIMER messages are coalesced.
  // By index: a handler may create or end forms, and the frame loop must not allocate.
  for (std::size_t i = 0; i < forms_.size(); ++i) {
    SimForm* form = forms_[i];
    if (form->Destroyed()) continue;
    for (auto& timer : form->timers) {
      if (!timer->Enabled() || timer->due > clock_.Now()) continue;
      timer->due = clock_.Now() + std::int64_t(std::max(timer->Interval(), 1)) * 1000;
      if (timer->onTimer) timer->onTimer();
    }
  }
}

void SimWindowing::CheckHalt() {
  if (haltAt && clock_.Now() >= *haltAt) throw SimHalt{};
}

void SimWindowing::DoEvents() {
  CheckHalt();
  // Input and posted messages first, in the order they were queued...
  for (;;) {
    auto due = std::find_if(events_.begin(), events_.end(),
                            [&](const SimEvent& e) { return e.time <= clock_.Now(); });
    if (due == events_.end()) break;
    const SimEvent event = *due;
    events_.erase(due);
    Dispatch(event);
  }
  // ...then the timers, whose messages the platform makes only when the queue is empty.
  FireDueTimers();
}

std::optional<std::int64_t> SimWindowing::NextWakeUp() const {
  std::optional<std::int64_t> next;
  auto consider = [&](std::int64_t t) { if (!next || t < *next) next = t; };
  for (const SimEvent& event : events_) consider(event.time);
  for (SimForm* form : forms_)
    if (!form->Destroyed())
      for (const auto& timer : form->timers)
        if (timer->Enabled()) consider(timer->due);
  return next;
}

void SimWindowing::RunMessageLoop() {
  while (LiveForms() > 0) {
    DoEvents();
    // Done when no form is left or nothing can ever happen again.
    if (LiveForms() == 0 || !AdvanceToNext(false)) break;
  }
}

RectL SimForm::OuterRect() const {
  if (!design.fixedDialog) return ScreenRect();
  const std::int32_t x = TwipsToPixels(left_, windowing_.TwipsPerPixelX());
  const std::int32_t y = TwipsToPixels(top_, windowing_.TwipsPerPixelY());
  return RectL{x, y, x + TwipsToPixels(width_, windowing_.TwipsPerPixelX()),
               y + TwipsToPixels(height_, windowing_.TwipsPerPixelY())};
}

void SimForm::SetWindowState(std::int32_t state) {
  windowState_ = state;
  ClientSizeChanged();
}

void SimForm::ClientSizeChanged() {
  const std::int32_t width = std::int32_t(ScaleWidth()), height = std::int32_t(ScaleHeight());
  // The retained image keeps what was drawn; it only grows, as the client
  // area of a minimised window is empty but its image is not lost.
  canvas.Resize(std::max(width, canvas.width), std::max(height, canvas.height), PixelFromColor(BackColor()));
  if (!visible_ || destroyed_) return;
  if (width == canvasWidth_ && height == canvasHeight_) return;
  canvasWidth_ = width;
  canvasHeight_ = height;
  if (onResize) onResize();
}

void SimForm::ShowModal() {
  Show();
  windowing_.RunUntil([this] { return destroyed_; });
}

void SimForm::Repaint() { windowing_.Recompose(); }

void SimWindowing::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    DoEvents();
    if (done()) break;
    // Nothing queued and no timer: a modal loop would wait for ever.
    AdvanceToNext(true);
  }
}

void SimWindowing::PostKeyWithShift(std::int32_t keyCode, std::int32_t shift, std::int64_t at) {
  events_.push_back(SimEvent{SimEvent::Kind::Key, at, keyCode, 0, 0, 0, std::int16_t(shift), 0});
}

void SimWindowing::PostButtonClick(std::int32_t x, std::int32_t y, std::int32_t button, std::int64_t at) {
  PostMouseDown(x, y, std::int16_t(button), 0, at);
  PostMouseUp(x, y, std::int16_t(button), 0, at);
}

SimSurface* SimForm::SurfaceAt(std::int32_t& x, std::int32_t& y) {
  for (auto surface = surfaces.rbegin(); surface != surfaces.rend(); ++surface) {
    const RectL at = (*surface)->ClientRect();
    if ((*surface)->visible && Contains(at, x, y)) {
      x -= at.left, y -= at.top;
      return surface->get();
    }
  }
  return nullptr;
}

SimLayerHost& SimForm::LayerAt(std::int32_t& x, std::int32_t& y) {
  SimSurface* surface = SurfaceAt(x, y);
  return surface ? surface->windowless : windowless;
}

std::string SimWindowing::PointerAt(std::int32_t x, std::int32_t y) {
  if (mousePointer_ == kPointerHourglass) return "hourglass";
  SimForm* form = FormOf(WindowAt(PointL{x, y}));
  if (!form) return "";
  const RectL client = form->ScreenRect();
  x -= client.left, y -= client.top;
  const SimLayerHost& host = form->LayerAt(x, y);
  return host.layer ? host.layer->PointerResourceAt(x, y) : "";
}

}  // namespace tolvarin::sim
