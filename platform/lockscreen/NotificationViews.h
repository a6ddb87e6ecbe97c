#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace lockscreen {

// One notification as the lock screen shows it.
struct Notification {
    std::string identifier;  // unique among the shown notifications
    std::string app;         // the app's name, shown small above the title
    std::string title;
    std::string body;
    bool expanded = false;  // shown as a long look (taller, with more room for the body)
};

// A rounded, translucent card ("PLPlatterView"). A platter nested inside another one draws no
// background of its own (the outer card already has it).
class PlatterView : public ui::View {
    QV_OBJECT(PlatterView, ui::View);

  public:
    static constexpr double kCornerRadius = 22;

    PlatterView();
    static std::shared_ptr<PlatterView> create(bool withBackground = true);
    bool hasBackground() const { return hasBackground_; }
    void setHasBackground(bool has);

  private:
    void applyBackground();

    bool hasBackground_ = true;
};

// A notification's card: a platter whose content platter holds the app name, the title and the
// body. The short look is the collapsed form ("NCNotificationShortLookView"), the long look the
// expanded one ("NCNotificationLongLookView").
class NotificationCardView : public PlatterView {
    QV_OBJECT(NotificationCardView, PlatterView);

  public:
    static constexpr double kShortHeight = 76;
    static constexpr double kLongHeight = 150;

    const std::string& identifier() const { return identifier_; }
    const std::shared_ptr<PlatterView>& contentPlatter() const { return content_; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return title_; }
    const std::shared_ptr<ui::Label>& bodyLabel() const { return body_; }
    double preferredHeight() const;

  protected:
    NotificationCardView() = default;
    void fill(const Notification& notification);

  private:
    static void registerMethods(runtime::MethodList<NotificationCardView>& methods);
    void layoutCard();

    std::string identifier_;
    std::shared_ptr<PlatterView> content_;
    std::shared_ptr<ui::Label> app_;
    std::shared_ptr<ui::Label> title_;
    std::shared_ptr<ui::Label> body_;
};

class NotificationShortLookView : public NotificationCardView {
    QV_OBJECT(NotificationShortLookView, NotificationCardView);

  public:
    NotificationShortLookView() = default;
    static std::shared_ptr<NotificationShortLookView> create(const Notification& notification);
};

class NotificationLongLookView : public NotificationCardView {
    QV_OBJECT(NotificationLongLookView, NotificationCardView);

  public:
    NotificationLongLookView() = default;
    static std::shared_ptr<NotificationLongLookView> create(const Notification& notification);
};

// The scrolling list of notification cards ("NCNotificationListView"), newest at the top.
class NotificationListView : public ui::ScrollView {
    QV_OBJECT(NotificationListView, ui::ScrollView);

  public:
    static constexpr double kSideMargin = 12;
    static constexpr double kSpacing = 8;

    NotificationListView() = default;
    static std::shared_ptr<NotificationListView> create();

    // Adds a card at the top; false when a notification with that identifier is already shown.
    bool addNotification(const Notification& notification);
    // False when none has that identifier.
    bool removeNotification(const std::string& identifier);
    std::vector<std::shared_ptr<NotificationCardView>> cards() const;

  private:
    static void registerMethods(runtime::MethodList<NotificationListView>& methods);
    void layoutCards();
};

// The list controller's view ("NCNotificationListContainerView"): lays the list out over its
// bounds.
class NotificationListContainerView : public ui::View {
    QV_OBJECT(NotificationListContainerView, ui::View);

  public:
    NotificationListContainerView() = default;
    static std::shared_ptr<NotificationListContainerView> create();

  private:
    static void registerMethods(runtime::MethodList<NotificationListContainerView>& methods);
    void layoutList();
};

// The controller of the lock screen's notifications ("NCNotificationStructuredListViewController").
class NotificationStructuredListViewController : public ui::ViewController {
    QV_OBJECT(NotificationStructuredListViewController, ui::ViewController);

  public:
    NotificationStructuredListViewController();
    static std::shared_ptr<NotificationStructuredListViewController> create();
    const std::shared_ptr<NotificationListView>& listView() const { return list_; }

  private:
    static void registerMethods(
        runtime::MethodList<NotificationStructuredListViewController>& methods);
    void loadListView();

    std::shared_ptr<NotificationListView> list_;
};

}  // namespace lockscreen
