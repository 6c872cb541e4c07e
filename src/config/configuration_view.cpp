// The settings dialog's window: the OS layer's widgets built from the table
// of controls and bound to the dialog's logic.
#include <map>
#include <memory>
#include <string>

#include "config/configuration.h"
#include "config/controls.h"
#include "os/bitmap_file.h"
#include "os/sound_volume.h"
#include "os/widgets.h"
#include "platform/system.h"
#include "startup/settings.h"

namespace vex::configuration {
namespace {

class DialogWindow : public View {
 public:
  void create(const Controls& initial) override {
    window_ = ui::create_window(kClientWidth, kClientHeight, "Vexmoor ScreenSaver", ui::WindowKind::kDialog);
    window_->on_close = Form_Unload;
    containers_[""] = window_.get();
    for (const ControlSpec& spec : control_table()) build(spec, initial);
    tabs_->set_value(initial.Tabs);
  }

  void centre() override {
    WindowPlacement p{0, 0, window_->outer_width(), window_->outer_height()};
    CenterForm(p);
    window_->move_outer_to(p.left, p.top);
  }

  void show() override {
    window_->show();
    centre();  // again, now that a window manager's frame is known
  }

  void show_preview(int box, const PixelView& pixels) override {
    if (ui::Control* c = box == 1 ? preview1_ : preview2_) c->show_pixels(pixels);
  }

  void tell(const std::string& title, const std::string& text) override { ui::show_message(title, text); }

  void close() override { window_.reset(); }

 private:
  ui::Container& container(std::string_view name) {
    if (name.rfind("Tabs:", 0) == 0) return tabs_->page(name[5] - '0');
    return *containers_.at(std::string(name));
  }

  // A picture of the media directory, or an empty one when it is missing.
  PixelView picture(const std::string& file) {
    auto& bm = pictures_[file];
    if (bm.width() == 0) {
      if (auto loaded = load_bmp_file(settings().MediaDirectory + file)) bm = std::move(*loaded);
    }
    return bm.view();
  }

  void build(const ControlSpec& s, const Controls& initial) {
    Controls& live = state().controls;
    ui::Container& in = s.kind == Kind::kTabs ? *window_ : container(s.container);
    const PixelRect r{s.x, s.y, s.w, s.h};
    const std::string name(s.name), caption(s.caption), tip(s.tooltip);
    ui::Control* c = nullptr;
    switch (s.kind) {
      case Kind::kTabs: {
        std::vector<std::string> captions(std::begin(kTabCaptions), std::end(kTabCaptions));
        tabs_ = &in.add_tabs(r, captions);
        tabs_->on_change = [this, &live] {
          live.Tabs = tabs_->value();
          Tabs_Click();
        };
        return;
      }
      case Kind::kFrame: containers_[name] = &in.add_frame(r, caption, tip); return;
      case Kind::kCheckBox: {
        c = &in.add_check_box(r, caption);
        int* value =
            s.index >= 0 ? (name == "songchk" ? &live.songchk[s.index] : &live.soundchk[s.index]) : &live.check[name];
        int start = s.index >= 0 ? (name == "songchk" ? initial.songchk[s.index] : initial.soundchk[s.index])
                    : initial.check.count(name) ? initial.check.at(name)
                                                : 0;
        c->set_value(start);
        *value = start;
        c->on_change = [c, value] { *value = c->value(); };
        break;
      }
      case Kind::kPreviewButton:
        c = &in.add_picture_box(r);
        c->show_pixels(picture("v_question.bmp"));
        c->set_hand_cursor(true);
        c->on_click = [name] { preview_button_click(name); };
        break;
      case Kind::kListenButton: {
        c = &in.add_picture_box(r);
        c->show_pixels(picture("v_speaker.bmp"));
        c->set_hand_cursor(true);
        const int i = s.index;
        if (name == "speaker") c->on_click = [i] { speaker_Click(i); };
        else c->on_click = [i] { fxspeaker_Click(i); };
        break;
      }
      case Kind::kPreviewBox:
        c = &in.add_picture_box(r);
        (name == "PreviewPicture" ? preview1_ : preview2_) = c;
        break;
      case Kind::kPicture:
        c = &in.add_picture_box(r);
        c->show_pixels(picture(caption));
        c->set_hand_cursor(true);
        c->on_click = open_home_page;  // the logo and the web address alike
        break;
      case Kind::kScrollBar:
        c = &in.add_scroll_bar(r);
        if (name == "volumechk") {
          c->set_range(0, 100, 5, 10);
          c->set_value(initial.volumechk);
          live.volumechk = initial.volumechk;
          c->on_change = [c, &live] {
            live.volumechk = c->value();
            set_output_volume(live.volumechk);
          };
          break;
        }
        c->set_range(0, kSpeedMax, 5, 10);
        c->set_value(initial.speedchk);
        live.speedchk = initial.speedchk;
        c->on_change = [c, &live] { live.speedchk = c->value(); };
        break;
      case Kind::kLabel:
      case Kind::kBoldLabel: {
        ui::TextStyle style;
        style.align = s.align == Align::kCentre  ? ui::TextAlign::kCentre
                      : s.align == Align::kRight ? ui::TextAlign::kRight
                                                 : ui::TextAlign::kLeft;
        style.bold = style.grey = s.kind == Kind::kBoldLabel;
        c = &in.add_label(r, name == "VersionLabel" ? initial.VersionLabel : caption, style);
        break;
      }
      case Kind::kTextBox:
        c = &in.add_text_box(r);
        c->set_text(initial.Text1);
        live.Text1 = initial.Text1;
        c->on_change = [c, &live] { live.Text1 = c->text(); };
        break;
      case Kind::kButton:
        c = &in.add_button(r, caption);
        c->on_click = name == "Cancel" ? on_cancel : on_apply;
        break;
    }
    if (c && !tip.empty()) c->set_tooltip(tip);
  }

  std::unique_ptr<ui::Window> window_;
  ui::Tabs* tabs_ = nullptr;
  std::map<std::string, ui::Container*> containers_;
  std::map<std::string, Bitmap> pictures_;
  ui::Control* preview1_ = nullptr;
  ui::Control* preview2_ = nullptr;
};

}  // namespace

std::unique_ptr<View> make_view() { return std::make_unique<DialogWindow>(); }

}  // namespace vex::configuration
