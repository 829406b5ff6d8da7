#include "app/navigator.h"

#include <QCoreApplication>
#include <algorithm>

namespace kelvo6::app {

void Navigator::registerScreen(const QString& form, Factory factory) { factories_[form] = std::move(factory); }

Screen* Navigator::find(const QString& form) const {
  for (const Entry& e : entries_)
    if (e.screen && e.screen->objectName() == form) return e.screen;
  return nullptr;
}

std::vector<Screen*> Navigator::loaded() const {
  std::vector<Screen*> out;
  for (const Entry& e : entries_)
    if (e.screen) out.push_back(e.screen);
  return out;
}

std::vector<Screen*> Navigator::openedAbove(const Screen* base) const {
  auto openerOf = [this](const Screen* s) -> const Screen* {
    for (const Entry& e : entries_)
      if (e.screen == s) return e.opener.data();
    return nullptr;
  };
  std::vector<Screen*> out;
  for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
    if (!e->screen) continue;
    for (const Screen* up = e->opener.data(); up; up = openerOf(up)) {
      if (up != base) continue;
      out.push_back(e->screen);
      break;
    }
  }
  return out;
}

Screen* Navigator::open(const QString& form, Screen* opener, const std::function<void(Screen*)>& prepare) {
  if (Screen* existing = find(form)) {
    if (prepare) prepare(existing);
    existing->show();
    existing->raise();
    activate(existing);
    return existing;
  }
  auto f = factories_.find(form);
  if (f == factories_.end() || !ctx_) return nullptr;
  Screen* s = f->second(*ctx_);
  entries_.push_back({s, opener});
  s->load();
  if (prepare) prepare(s);
  // A window may close itself while loading (a failed start); then it is not shown.
  if (!find(form)) return nullptr;
  s->show();
  activate(s);
  return find(form) ? s : nullptr;
}

Screen* Navigator::showMessage(Screen* opener, const QString& title, const QString& text) {
  return open(QStringLiteral("Form12"), opener, [&](Screen* s) {
    if (auto* m = dynamic_cast<MessageWindow*>(s)) {
      m->setMessage(title, text);
      m->setDetail({});  // a detail of an earlier message does not belong to this one
    }
  });
}

void Navigator::activate(Screen* screen) {
  if (!screen || !find(screen->objectName())) return;
  screen->activateWindow();
  runActivation(screen);
}

void Navigator::runActivation(Screen* screen) {
  active_ = screen;
  if (ctx_) ctx_->desktop.setKeepOnTop(screen, true);
  screen->activate();
}

void Navigator::windowSystemActivated(Screen* screen) {
  // The window system already made it active: run its activation without
  // asking for activation again, which would bounce between windows.
  if (!followWindowSystem_ || screen == active_ || !find(screen->objectName())) return;
  runActivation(screen);
}

void Navigator::closed(Screen* screen) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.screen == screen; });
  Screen* opener = it != entries_.end() ? it->opener.data() : nullptr;
  if (it != entries_.end()) entries_.erase(it);
  // Windows this one opened now answer to its opener.
  for (Entry& e : entries_)
    if (e.opener == screen) e.opener = opener;
  if (active_ == screen) active_.clear();
  bool wasStart = screen->objectName() == QLatin1String("Form1");
  screen->hide();
  screen->deleteLater();
  if (wasStart) {
    if (onProgramEnd) onProgramEnd();
    return;
  }
  if (opener) activate(opener);
}

}  // namespace kelvo6::app
