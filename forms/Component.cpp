#include "forms/Component.h"

#include <algorithm>
#include <stdexcept>

namespace forms {

namespace {
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

template <class T>
void EraseValue(std::vector<T>& items, const T& value) {
  items.erase(std::remove(items.begin(), items.end(), value), items.end());
}
}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) {
    owner_->components_.push_back(this);
    owner_->Notification(this, ComponentOperation::Insert);
  }
}

TComponent::~TComponent() {
  BeginDestruction();
  // One at a time from the list itself: a listener freed while another one
  // is told has already taken itself off.
  while (!freeNotifies_.empty()) {
    TComponent* listener = freeNotifies_.back();
    freeNotifies_.pop_back();
    listener->Unlink(this);
    listener->Notification(this, ComponentOperation::Remove);
  }
  if (owner_) {
    EraseValue(owner_->components_, this);
    // Freed from elsewhere while the owner still held it: the owner must not
    // free it a second time.
    for (auto& slot : owner_->owned_) {
      if (slot.get() == this) (void)slot.release();
    }
    EraseValue(owner_->owned_, std::unique_ptr<TComponent>());
    if (!owner_->destroying_) owner_->Notification(this, ComponentOperation::Remove);
  }
}

void TComponent::SetName(std::string name) { name_ = std::move(name); }

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_) {
    if (SameName(component->name_, name)) return component;
  }
  return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
    freeNotifies_.push_back(other);
  if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) == other->freeNotifies_.end())
    other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  Unlink(other);
  other->Unlink(this);
}

void TComponent::Unlink(TComponent* other) { EraseValue(freeNotifies_, other); }

// Loops over copies check that a component is still there: a handler run
// for an earlier one may have freed it.
bool TComponent::IsListed(const TComponent* component) const {
  return std::find(components_.begin(), components_.end(), component) != components_.end();
}

void TComponent::TakeOwnership(std::unique_ptr<TComponent> component) {
  if (!component) return;
  if (component->owner_ != this) throw std::logic_error("A component can only be owned by the owner it was made with");
  owned_.push_back(std::move(component));
}

bool TComponent::DeleteComponent(TComponent* component) {
  auto found = std::find_if(owned_.begin(), owned_.end(), [&](const auto& slot) { return slot.get() == component; });
  if (found == owned_.end()) return false;
  std::unique_ptr<TComponent> doomed = std::move(*found);
  owned_.erase(found);
  doomed.reset();
  return true;
}

void TComponent::DestroyComponents() {
  while (!owned_.empty()) {
    std::unique_ptr<TComponent> last = std::move(owned_.back());
    owned_.pop_back();
    last.reset();
  }
  // What remains is held elsewhere: it outlives us without an owner.
  for (TComponent* component : components_) component->owner_ = nullptr;
  components_.clear();
}

void TComponent::BeginDestruction() {
  if (destroying_) return;
  destroying_ = true;
  DestroyComponents();
}

void TComponent::Notification(TComponent* component, ComponentOperation operation) {
  if (operation == ComponentOperation::Remove) RemoveFreeNotification(component);
  std::vector<TComponent*> siblings = components_;
  for (TComponent* sibling : siblings) {
    if (sibling != component && IsListed(sibling)) sibling->Notification(component, operation);
  }
}

void TComponent::CompleteLoading() {
  std::vector<TComponent*> children = components_;
  for (TComponent* child : children) {
    if (IsListed(child) && child->loading_) child->CompleteLoading();
  }
  if (loading_) {
    loading_ = false;
    Loaded();
  }
}

void TComponent::AfterConstruction() { CompleteLoading(); }

}  // namespace forms
