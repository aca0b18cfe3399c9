// The component model: ownership, names, free notification and Loaded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"

namespace {

using forms::ComponentOperation;
using forms::New;
using forms::NewUnowned;
using forms::TComponent;

// Writes "~Name" to a shared log when freed, and "Loaded Name(Tag)" when
// loaded, so that order and timing show.
class LoggingComponent : public TComponent {
 public:
  LoggingComponent(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
  ~LoggingComponent() override { log_->push_back("~" + Name()); }

 protected:
  void Loaded() override { log_->push_back("Loaded " + Name() + "(" + std::to_string(Tag) + ")"); }

 private:
  std::vector<std::string>* log_;
};

// Refers to another component and drops the reference when told it goes.
class Referrer : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* Target = nullptr;
  int removals = 0;

 protected:
  void Notification(TComponent* component, ComponentOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == ComponentOperation::Remove && component == Target) {
      Target = nullptr;
      ++removals;
    }
  }
};

// Builds its components in its constructor, as a form description does.
class DescribedOwner : public TComponent {
 public:
  DescribedOwner(TComponent* owner, std::vector<std::string>* log) : TComponent(owner) {
    auto* first = New<LoggingComponent>(this, "First", log);
    first->Tag = 1;  // set after creation: Loaded must see it
    New<LoggingComponent>(this, "Second", log)->Tag = 2;
  }
};

TEST(Component, OwnerFreesOwnedComponentsLastCreatedFirst) {
  std::vector<std::string> log;
  {
    auto owner = NewUnowned<TComponent>("Owner");
    New<LoggingComponent>(owner.get(), "A", &log);
    auto* b = New<LoggingComponent>(owner.get(), "B", &log);
    New<LoggingComponent>(b, "B1", &log);
    New<LoggingComponent>(owner.get(), "C", &log);
    log.clear();
  }
  // Each component's own destructor runs before its components go, so
  // that it can still use them.
  EXPECT_EQ(log, (std::vector<std::string>{"~C", "~B", "~B1", "~A"}));
}

TEST(Component, FreedComponentLeavesItsOwner) {
  std::vector<std::string> log;
  auto owner = NewUnowned<TComponent>("Owner");
  auto* a = New<LoggingComponent>(owner.get(), "A", &log);
  New<LoggingComponent>(owner.get(), "B", &log);
  EXPECT_TRUE(owner->DeleteComponent(a));
  EXPECT_EQ(owner->ComponentCount(), 1u);
  EXPECT_EQ(owner->FindComponent("A"), nullptr);
  EXPECT_FALSE(owner->DeleteComponent(a));
  log.clear();
  owner.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"~B"}));
}

TEST(Component, ComponentHeldElsewhereOutlivesItsOwner) {
  std::vector<std::string> log;
  auto owner = NewUnowned<TComponent>("Owner");
  auto held = std::make_unique<LoggingComponent>(owner.get(), &log);
  held->SetName("Held");
  EXPECT_EQ(owner->FindComponent("held"), held.get());
  owner.reset();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(held->Owner(), nullptr);
}

TEST(Component, FindComponentIgnoresCaseAndLooksOneLevelDeep) {
  auto owner = NewUnowned<TComponent>("Owner");
  auto* edit = New<TComponent>(owner.get(), "Edit6");
  New<TComponent>(edit, "Inner");
  EXPECT_EQ(owner->FindComponent("EDIT6"), edit);
  EXPECT_EQ(owner->FindComponent("Inner"), nullptr);
  EXPECT_EQ(owner->FindComponent(""), nullptr);
}

TEST(Component, FreeNotificationClearsReferenceAcrossOwners) {
  auto left = NewUnowned<TComponent>("Left");
  auto right = NewUnowned<TComponent>("Right");
  auto* referrer = New<Referrer>(left.get(), "Referrer");
  auto* target = New<TComponent>(right.get(), "Target");
  referrer->Target = target;
  referrer->FreeNotification(target);
  right.reset();
  EXPECT_EQ(referrer->Target, nullptr);
  EXPECT_EQ(referrer->removals, 1);
}

TEST(Component, SiblingReferenceIsClearedWithoutRegistration) {
  auto owner = NewUnowned<TComponent>("Form");
  auto* referrer = New<Referrer>(owner.get(), "TrayIcon1");
  auto* menu = New<TComponent>(owner.get(), "PopupMenu1");
  referrer->Target = menu;
  owner->DeleteComponent(menu);
  EXPECT_EQ(referrer->Target, nullptr);
}

TEST(Component, ListenerFreedFirstLeavesTheOthersRegistered) {
  auto target = NewUnowned<TComponent>("Target");
  auto first = NewUnowned<Referrer>("First");
  auto second = NewUnowned<Referrer>("Second");
  first->Target = second->Target = target.get();
  first->FreeNotification(target.get());
  second->FreeNotification(target.get());
  first.reset();
  target.reset();
  EXPECT_EQ(second->Target, nullptr);
  EXPECT_EQ(second->removals, 1);
}

TEST(Component, LoadedRunsOnceAfterTheDescription) {
  std::vector<std::string> log;
  auto root = NewUnowned<TComponent>("Root");
  auto* described = New<DescribedOwner>(root.get(), "Described", &log);
  EXPECT_EQ(log, (std::vector<std::string>{"Loaded First(1)", "Loaded Second(2)"}));
  EXPECT_FALSE(described->Loading());
  // A component made later, at run time, is complete at once.
  log.clear();
  New<LoggingComponent>(described, "Late", &log);
  EXPECT_EQ(log, (std::vector<std::string>{"Loaded Late(0)"}));
  described->CompleteConstruction();
  EXPECT_EQ(log.size(), 1u);
}

}  // namespace
