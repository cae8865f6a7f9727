// Writes the page from its template, with dialogs 102 and 100 as the program's resources
// describe them: every control at its place in dialog units, in template (and tab)
// order, with its text and visibility. What the page adds is its names for the controls
// and which box each label is for. Built for node and run by the build:
//   page_html <index.html.in> <index.html>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "ui/trajectory_view.h"
#include "web/core/page_fields.h"

namespace {

using vendrel::web::FieldById;

/// The page's name of a button or edit box of dialog 102.
std::string NameOf(int id) {
  switch (id) {
    case IDC_CALCULATE: return "calculate";
    case IDC_DEFAULT: return "defaults";
    case IDC_STOP: return "stop";
    case IDC_CLEAR_VIEW: return "clear-view";
    case IDC_CARRY: return "carry";
    default: break;
  }
  const vendrel::web::PageField* field = FieldById(id);
  return field != nullptr ? std::string(field->name()) : std::string();
}

/// The box each static text of dialog 102 labels, in template order; 0 for a text that
/// labels none.
constexpr int kLabelFor[] = {IDC_BALL_MASS,    IDC_GRAVITY,      IDC_K,         IDC_SIDE_SPIN,
                             IDC_BACK_SPIN,    IDC_K_PRIME,      0,             IDC_LAUNCH_ANGLE,
                             IDC_LAUNCH_SPEED, IDC_TIME_STEP,    IDC_CARRY,     0};

std::string Place(int x, int y, int cx, int cy) {
  return "--x:" + std::to_string(x) + ";--y:" + std::to_string(y) + ";--w:" +
         std::to_string(cx) + ";--h:" + std::to_string(cy);
}

std::string Place(const DialogControl& c) { return Place(c.x, c.y, c.cx, c.cy); }

bool Visible(const DialogControl& c) { return (c.style & WS_VISIBLE) != 0; }

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "page_html: %s\n", why.c_str());
  std::exit(1);
}

const DialogTemplate& Dialog(UINT id) {
  for (const DialogTemplate& t : vendrel::res::Module().dialogs) {
    if (t.id == id) return t;
  }
  Fail("no dialog " + std::to_string(id));
}

std::string MainDialog() {
  const DialogTemplate& t = Dialog(IDD_VENDREL_DIALOG);
  std::ostringstream out;
  out << "  <form id=\"dialog\" class=\"dialog\" style=\"--cx:" << t.cx << ";--cy:" << t.cy
      << "\" autocomplete=\"off\" novalidate>\n";
  out << "    <canvas width=\"" << vendrel::view::kClientWidth << "\" height=\""
      << vendrel::view::kClientHeight << "\" style=\"" << Place(0, 0, t.cx, t.cy)
      << "\" aria-label=\"弾道\"></canvas>\n";
  std::size_t statics = 0;
  for (const DialogControl& c : t.controls) {
    const std::string hidden = Visible(c) ? "" : " hidden";
    const std::string off = (c.style & WS_DISABLED) != 0 ? " disabled" : "";
    switch (c.kind) {
      case ControlKind::PushButton:
        out << "    <button type=\"button\" id=\"" << NameOf(c.id) << "\" data-id=\"" << c.id
            << "\" style=\"" << Place(c) << "\"" << hidden << off << ">" << c.text << "</button>\n";
        break;
      case ControlKind::Edit: {
        const std::string name = NameOf(c.id);
        if (name.empty()) Fail("no page name for box " + std::to_string(c.id));
        out << "    <input id=\"" << name << "\" name=\"" << name << "\" data-id=\"" << c.id
            << "\" style=\"" << Place(c) << "\"" << hidden << off
            << ((c.style & ES_READONLY) != 0 ? " readonly" : "") << ">\n";
        break;
      }
      case ControlKind::Static: {
        if (statics >= std::size(kLabelFor)) Fail("a static text of dialog 102 the page does not know");
        const int labelled = kLabelFor[statics++];
        if (labelled != 0) {
          out << "    <label for=\"" << NameOf(labelled) << "\" style=\"" << Place(c) << "\""
              << hidden << ">" << c.text << "</label>\n";
        } else {
          out << "    <span class=\"static\" style=\"" << Place(c) << "\"" << hidden << ">"
              << c.text << "</span>\n";
        }
        break;
      }
    }
  }
  if (statics != std::size(kLabelFor)) Fail("dialog 102 has fewer static texts than the page knows");
  out << "  </form>";
  return out.str();
}

std::string AboutDialog() {
  const DialogTemplate& t = Dialog(IDD_ABOUTBOX);
  std::ostringstream out;
  out << "  <form method=\"dialog\" class=\"dialog\" style=\"--cx:" << t.cx << ";--cy:" << t.cy
      << "\">\n";
  for (const DialogControl& c : t.controls) {
    if (c.kind == ControlKind::Static) {
      out << "    <span class=\"static" << ((c.style & SS_CENTER) != 0 ? " center" : "")
          << "\" style=\"" << Place(c) << "\">" << c.text << "</span>\n";
    } else if (c.kind == ControlKind::PushButton && c.id == IDOK) {
      const bool isDefault = (c.style & BS_DEFPUSHBUTTON) != 0;
      out << "    <button value=\"ok\"" << (isDefault ? " class=\"default\"" : "") << " style=\""
          << Place(c) << "\"" << (isDefault ? " autofocus" : "") << ">" << c.text
          << "</button>\n";
    } else {
      Fail("a control of the about box the page does not know");
    }
  }
  out << "  </form>";
  return out.str();
}

void Replace(std::string& text, std::string_view marker, const std::string& with) {
  const std::size_t at = text.find(marker);
  if (at == std::string::npos) Fail("the page's template has no " + std::string(marker));
  text.replace(at, marker.size(), with);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) Fail("usage: page_html <index.html.in> <index.html>");
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) Fail(std::string("cannot read ") + argv[1]);
  std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Replace(page, "@MAIN_DIALOG@", MainDialog());
  Replace(page, "@MAIN_CAPTION@", Dialog(IDD_VENDREL_DIALOG).caption);
  Replace(page, "@ABOUT_DIALOG@", AboutDialog());
  Replace(page, "@ABOUT_CAPTION@", Dialog(IDD_ABOUTBOX).caption);
  std::ofstream out(argv[2], std::ios::binary);
  out << page;
  if (!out.flush()) Fail(std::string("cannot write ") + argv[2]);
  return 0;
}
