#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Runtime.h"

// A small class tree built the way the UI module builds its views: each hookable method is a
// Message constant, a public member that sends it, and a default implementation registered with
// the class. Implementations append to the receiver's trace so tests can see which ran.
namespace widgets {

class Widget : public runtime::Object {
    QV_OBJECT(Widget, runtime::Object);

  public:
    static inline const runtime::Message<void(double)> kSetAlpha{"setAlpha:"};
    static inline const runtime::Message<void(bool)> kSetHidden{"setHidden:"};
    static inline const runtime::Message<void()> kLayoutSubviews{"layoutSubviews"};
    static inline const runtime::Message<void()> kDidMoveToWindow{"didMoveToWindow"};
    static inline const runtime::Message<void(const std::string&)> kSetTitle{"setTitle:"};
    static inline const runtime::Message<std::string()> kDescription{"description"};
    static inline const runtime::Message<void(double)> kSetBorderWidth{"setBorderWidth:"};
    static inline const runtime::Message<void(int)> kSetTag{"setTag:"};

    void setAlpha(double alpha) { kSetAlpha.send(this, alpha); }
    void setHidden(bool hidden) { kSetHidden.send(this, hidden); }
    void layoutSubviews() { kLayoutSubviews.send(this); }
    void didMoveToWindow() { kDidMoveToWindow.send(this); }
    void setTitle(const std::string& title) { kSetTitle.send(this, title); }
    std::string description() { return kDescription.send(this); }
    void setBorderWidth(double width) { kSetBorderWidth.send(this, width); }
    void setTag(int tag) { kSetTag.send(this, tag); }

    double alpha() const { return alpha_; }
    bool hidden() const { return hidden_; }
    const std::string& title() const { return title_; }
    double borderWidth() const { return borderWidth_; }
    int tagSum() const { return tagSum_.load(); }

    std::vector<std::string> trace;

  private:
    static void registerMethods(runtime::MethodList<Widget>& methods);

    void setAlphaDefault(double alpha);
    void setHiddenDefault(bool hidden);
    void layoutSubviewsDefault();
    void didMoveToWindowDefault();
    void setTitleDefault(const std::string& title);
    std::string descriptionDefault() const;
    void setBorderWidthDefault(double width);
    void setTagDefault(int tag);

    double alpha_ = 1.0;
    bool hidden_ = false;
    std::string title_;
    double borderWidth_ = 0;
    std::atomic<int> tagSum_{0};
};

// Overrides layoutSubviews and setTitle: and calls through to Widget's implementations.
class Button : public Widget {
    QV_OBJECT(Button, Widget);

  private:
    static void registerMethods(runtime::MethodList<Button>& methods);
    void layoutButton();
    void setButtonTitle(const std::string& title);
};

// A subclass of an overriding class that overrides nothing itself.
class FancyButton : public Button {
    QV_OBJECT(FancyButton, Button);
};

// Inherits everything from Widget.
class Slider : public Widget {
    QV_OBJECT(Slider, Widget);
};

// A window and a subclass registered under a system name, as host programs register theirs.
class Window : public Widget {
    QV_OBJECT(Window, Widget);
};

class WallpaperWindow : public Window {
    QV_OBJECT(WallpaperWindow, Window);
};

// Made only through create(), which Class::createInstance() must use.
class Sheet : public Widget {
    QV_OBJECT(Sheet, Widget);

  public:
    static std::shared_ptr<Sheet> create();
    bool madeByCreate = false;

  protected:
    Sheet() = default;
};

}  // namespace widgets
