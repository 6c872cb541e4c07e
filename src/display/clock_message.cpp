#include "display/clock_message.h"

#include "base/convert.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex {

ClockMessageState& clock_message() {
  static ClockMessageState s;
  return s;
}

namespace {

// The standard library's own: the clock is read on the one thread only.
std::tm local_now() {
  std::time_t t = std::time(nullptr);
  const std::tm* now = std::localtime(&t);
  return now ? *now : std::tm{};
}

void draw(const PixelView& screen, const Label& l) {
  if (!l.Visible) return;
  draw_text_label(screen, l.Left, l.Top, l.Width, l.Height, l.Caption, l.Alignment, kLabelText, kLabelBack);
}

}  // namespace

void setup_labels() {
  ClockMessageState& cm = clock_message();
  const SettingsState& st = settings();
  const int W = starter().ScreenWidth;
  if (!st.MessageText.empty()) {
    Label& m = cm.ScreenLabel;
    m.Width = W;
    m.Caption = "  " + st.MessageText + "  ";
    m.Left = round_to_i32(W / 2.0 - m.Width / 2.0);
    m.Top = 5;
    m.Visible = true;
    // With the clock on the right, the message keeps to the left.
    if (st.ClockEnabled) m.Alignment = LabelAlign::kLeft;
  }
  if (st.ClockEnabled) {
    Label& c = cm.ClockLabel;
    c.Visible = true;
    c.Left = round_to_i32(W / 2.0 - c.Width / 2.0);
    c.Top = 5;
  }
}

void Update_Clock() {
  ClockMessageState& cm = clock_message();
  cm.ClockLabel.Left = I16(starter().ScreenWidth - 100);
  std::tm t = cm.now ? cm.now() : local_now();
  std::string caption = " ";
  caption += format_time_hmm_ampm(t);
  caption += ' ';
  cm.ClockLabel.Caption = std::move(caption);
}

void add_label_parts(std::vector<PixelRect>& parts) {
  for (const Label* l : {&clock_message().ScreenLabel, &clock_message().ClockLabel})
    if (l->Visible) parts.push_back({l->Left, l->Top, l->Width, l->Height});
}

void draw_labels(const PixelView& screen) {
  const Label& m = clock_message().ScreenLabel;
  const Label& c = clock_message().ClockLabel;
  // The message's text stops where the clock begins, or what is cut by the
  // clock would show again beyond it; its black band still spans the label.
  int text_width = m.Width;
  if (c.Visible && c.Left > m.Left && c.Left < m.Left + m.Width && c.Top < m.Top + m.Height && m.Top < c.Top + c.Height)
    text_width = c.Left - m.Left;
  if (m.Visible) {
    draw_text_label(screen, m.Left, m.Top, text_width, m.Height, m.Caption, m.Alignment, kLabelText, kLabelBack);
    fill_rect(screen, m.Left + text_width, m.Top, m.Width - text_width, m.Height, kLabelBack);
  }
  draw(screen, c);
}

}  // namespace vex
