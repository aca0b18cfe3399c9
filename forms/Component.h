#pragma once
// The component model: an owner frees the components it owns, last created
// first; components find each other by Name; a component that refers to
// another hears when that one is freed, so no reference outlives its target.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace forms {

enum class ComponentOperation { Insert, Remove };

class TComponent {
 public:
  // The owner is recorded here; it takes ownership through New (below). A
  // component made with an owner but held elsewhere is still listed in the
  // owner's Components and is forgotten, not freed, with the owner.
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }

  const std::string& Name() const { return name_; }
  virtual void SetName(std::string name);

  // A free integer for the component's user.
  int Tag = 0;

  // Components whose owner is this one, in creation order.
  const std::vector<TComponent*>& Components() const { return components_; }
  std::size_t ComponentCount() const { return components_.size(); }
  // Looks among the owned components (not deeper) ignoring ASCII case.
  TComponent* FindComponent(std::string_view name) const;

  // After this call, `other` calls Notification(other, Remove) on this
  // component when it is freed (and the other way round).
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Takes a component whose Owner() is this one; New uses it.
  void TakeOwnership(std::unique_ptr<TComponent> component);
  // Frees an owned component now; false when this one does not own it.
  // Never call it for the component whose handler is running; forms use
  // their deferred release instead.
  bool DeleteComponent(TComponent* component);
  // Frees every owned component, the last created first.
  void DestroyComponents();

  // True from construction until Loaded has run.
  bool Loading() const { return loading_; }
  bool Destroying() const { return destroying_; }

  // Runs once the component and its description are complete: Loaded on the
  // owned components that are still loading, then on this one. New calls it
  // when the owner is already complete; a loading owner calls it for all its
  // components once its own description has been applied.
  void CompleteConstruction() { AfterConstruction(); }

 protected:
  virtual void Loaded() {}
  // Told of components inserted into or removed from this one, and of the
  // freeing of components registered with FreeNotification. The default
  // passes the news on to the owned components, so that siblings referring
  // to each other need no explicit registration.
  virtual void Notification(TComponent* component, ComponentOperation operation);
  virtual void AfterConstruction();
  void CompleteLoading();
  // Derived destructors that must outlive their components call this first.
  void BeginDestruction();

 private:
  void Unlink(TComponent* other);
  bool IsListed(const TComponent* component) const;

  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<std::unique_ptr<TComponent>> owned_;
  std::vector<TComponent*> freeNotifies_;
  bool loading_ = true;
  bool destroying_ = false;
};

// Creates a component owned by `owner` (which must not be null) and named
// `name` (kept when empty, so that forms can name themselves), e.g.
//   Edit6 = New<EditBox>(this, "Edit6", GroupBoxMain, Bounds{88, 40, 50, 21});
template <class T, class... Args>
T* New(TComponent* owner, std::string name, Args&&... args) {
  if (!owner) throw std::logic_error("New needs an owner; use NewUnowned");
  auto component = std::make_unique<T>(owner, std::forward<Args>(args)...);
  T* result = component.get();
  if (!name.empty()) result->SetName(std::move(name));
  bool ownerComplete = !owner->Loading();
  owner->TakeOwnership(std::move(component));
  if (ownerComplete) result->CompleteConstruction();
  return result;
}

// A component without owner, held by the caller.
template <class T, class... Args>
std::unique_ptr<T> NewUnowned(std::string name, Args&&... args) {
  auto component = std::make_unique<T>(nullptr, std::forward<Args>(args)...);
  if (!name.empty()) component->SetName(std::move(name));
  component->CompleteConstruction();
  return component;
}

// Case-insensitive comparison of component names (ASCII letters).
bool SameName(std::string_view a, std::string_view b);

}  // namespace forms
