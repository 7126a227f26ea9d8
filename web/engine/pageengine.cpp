// The engine as the page sees it: the run controller behind a small embind class whose
// window, sound and clock are methods of a JavaScript object, and the two windows' design
// tables handed over once at start-up so the page builds its controls from them.
#include "accessiblenames.h"
#include "design.h"
#include "form1design.h"
#include "form2design.h"
#include "palette.h"
#include "problemtexts.h"
#include "typefaces.h"
#include "windowlogic.h"

#include "clock.h"
#include "constants.h"
#include "random.h"
#include "receipt.h"
#include "runcontroller.h"
#include "texts.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>
#include <string_view>

namespace perne {
namespace {

using emscripten::val;

// The page object's methods stand in for the window, the sound device and the clock.
class PageSeams final : public Controls, public CueDevice, public Clock
{
public:
    explicit PageSeams(val page) : m_page(std::move(page)) {}

    void setCaption(Label label, const std::string &text) override
    {
        m_page.call<void>("setCaption", std::string(name(label)), text);
    }
    void setSpriteVisible(Sprite sprite, bool visible) override
    {
        m_page.call<void>("setSpriteVisible", std::string(name(sprite)), visible);
    }
    // The page gets the sprite's corner in design pixels of the field's client area.
    void moveSprite(Sprite sprite, Point p) override
    {
        const PixelPosition px = latticeToFieldPixels(p);
        m_page.call<void>("moveSprite", std::string(name(sprite)), px.x, px.y);
    }
    void setButtonEnabled(Button button, bool enabled) override
    {
        m_page.call<void>("setButtonEnabled", std::string(name(button)), enabled);
    }
    void setTimerEnabled(Timer timer, bool enabled) override
    {
        m_page.call<void>("setTimerEnabled", std::string(name(timer)), enabled);
    }
    void PlayCue(std::string_view fileName) override
    {
        m_page.call<void>("playCue", std::string(fileName));
    }
    float secondsSinceMidnight() override
    {
        return static_cast<float>(m_page.call<double>("secondsSinceMidnight"));
    }
    double steadySeconds() override { return m_page.call<double>("steadySeconds"); }

private:
    val m_page;
};

// The page's input boxes cannot wait, so the setup goes prompt by prompt through
// beginSetUp()/answerPrompt(); nothing ever asks through this one.
class NoPrompter final : public Prompter
{
public:
    std::string ask(const std::string &, const std::string &, const std::string &) override
    {
        return {};
    }
};

val promptObject(const CoordinatePrompt *p)
{
    if (!p)
        return val::null();
    val o = val::object();
    o.set("title", std::string(p->title));
    o.set("prompt", std::string(p->prompt));
    o.set("defaultAnswer", std::string(p->defaultAnswer));
    return o;
}

class PageEngine
{
public:
    explicit PageEngine(val page)
        : m_seams(std::move(page)), m_run(m_seams, m_prompter, m_seams, m_seams, m_random)
    {}

    void load() { m_run.load(); }
    // mode "both": both walkers move (Command2); "dog": the dog alone (Command3), the keys
    // the CSV and the teacher's page use for the two modes.
    val beginSetUp(const std::string &mode)
    {
        return promptObject(
            m_run.beginSetUp(mode == "both" ? RunState::BothWalking : RunState::DogWalking));
    }
    val answerPrompt(const std::string &answer) { return promptObject(m_run.answerPrompt(answer)); }
    bool setUpUnderWay() const { return m_run.setUpUnderWay(); }
    void command4Click() { m_run.command4Click(); }
    void command5Click() { m_run.command5Click(); }
    // The timers' events, and the page shown again: each runs every tick due by now.
    void timer1Tick() { m_run.timer1Tick(); }
    void timer2Tick() { m_run.timer2Tick(); }
    void catchUp() { m_run.catchUp(); }
    // Ticks the timer (1 or 2) has made since Start.
    int ticksRun(int timer) const
    {
        return static_cast<int>(m_run.ticksRun(timer == 1 ? Timer::Timer1 : Timer::Timer2));
    }
    val finishedRunLine() const;
    val finishedRunReceipt() const;

private:
    PageSeams m_seams;
    NoPrompter m_prompter;
    MixingRandom m_random;
    RunController m_run;
};

const char *captionOf(const char *name)
{
    for (const DesignControl &c : kForm1Controls)
        if (std::string_view(c.name) == name)
            return c.caption;
    return "";
}

// The last run once it has ended, as the student hands it on: one line of tab-separated
// fields for a spreadsheet row -- the mode as its button reads, Momotaro's x and y, the
// dog's x and y, the meetings, the whole seconds; null before that.
val PageEngine::finishedRunLine() const
{
    const auto run = m_run.finishedRun();
    if (!run)
        return val::null();
    const long long fields[] = {run->momotaroStart.x, run->momotaroStart.y, run->dogStart.x,
                                run->dogStart.y,      run->meetings,        run->seconds};
    std::string line = captionOf(run->mode == RunState::BothWalking ? "Command2" : "Command3");
    for (const long long f : fields)
        line += '\t' + std::to_string(f);
    return val(line);
}

// The last run once it has ended, as the class server takes it: the meetings and seconds,
// and the receipt from which the server walks the run again, in the receipt's own JSON; null
// before that.
val PageEngine::finishedRunReceipt() const
{
    const auto run = m_run.finishedRun();
    const auto receipt = m_run.lastReceipt();
    if (!run || !receipt)
        return val::null();
    val o = val::object();
    o.set("meetings", static_cast<int>(run->meetings));
    o.set("seconds", static_cast<double>(run->seconds));
    o.set("receipt", val::global("JSON").call<val>("parse", receiptJson(*receipt)));
    return o;
}

template <typename T> val arrayOf(const T &items)
{
    val a = val::array();
    for (const auto &item : items)
        a.call<void>("push", val(std::string(item)));
    return a;
}

const char *kindName(ControlKind k)
{
    switch (k) {
    case ControlKind::Button:
        return "button";
    case ControlKind::PictureBox:
        return "pictureBox";
    case ControlKind::Sprite:
        return "sprite";
    case ControlKind::AxisLabel:
        return "axisLabel";
    case ControlKind::ValueLabel:
        return "valueLabel";
    case ControlKind::PrintBox:
        return "printBox";
    }
    return "?";
}

template <std::size_t N> val controlsOf(const std::array<DesignControl, N> &controls)
{
    val a = val::array();
    for (const DesignControl &c : controls) {
        val o = val::object();
        o.set("name", std::string(c.name));
        o.set("kind", std::string(kindName(c.kind)));
        o.set("container", std::string(c.container));
        o.set("left", c.left);
        o.set("top", c.top);
        o.set("width", c.width);
        o.set("height", c.height);
        o.set("caption", std::string(c.caption));
        o.set("tabIndex", c.tabIndex);
        // Design pixels, rounded as every front end rounds them.
        o.set("x", twipsToPixels(c.left));
        o.set("y", twipsToPixels(c.top));
        o.set("w", twipsToPixels(c.width));
        o.set("h", twipsToPixels(c.height));
        a.call<void>("push", o);
    }
    return a;
}

template <std::size_t N> val linesOf(const std::array<DesignLine, N> &lines)
{
    val a = val::array();
    for (const DesignLine &l : lines) {
        val o = val::object();
        o.set("name", std::string(l.name));
        o.set("container", std::string(l.container));
        o.set("x1", l.x1);
        o.set("y1", l.y1);
        o.set("x2", l.x2);
        o.set("y2", l.y2);
        o.set("px1", twipsToPixels(l.x1));
        o.set("py1", twipsToPixels(l.y1));
        o.set("px2", twipsToPixels(l.x2));
        o.set("py2", twipsToPixels(l.y2));
        a.call<void>("push", o);
    }
    return a;
}

val sizeOf(int width, int height)
{
    val o = val::object();
    o.set("width", width);
    o.set("height", height);
    return o;
}

std::string cssColour(Rgb rgb)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "#000000";
    for (int i = 0; i < 6; ++i)
        s[std::size_t(1 + i)] = digits[(rgb >> (20 - 4 * i)) & 15u];
    return s;
}

// Every table the page draws from; twips stay twips, colours become CSS colours.
val designTables()
{
    val d = val::object();
    d.set("twipsPerPixel", kTwipsPerPixel);
    // The timers' period: the page's intervals only tell the engine the time at this beat.
    d.set("timerIntervalMs", kTimerIntervalMs);
    d.set("quitTitle", std::string(kQuitTitle));
    d.set("quitQuestion", std::string(kQuitQuestion));

    val f1 = val::object();
    f1.set("caption", std::string(kForm1Caption));
    f1.set("clientWidth", kForm1ClientWidth);
    f1.set("clientHeight", kForm1ClientHeight);
    f1.set("clientW", twipsToPixels(kForm1ClientWidth));
    f1.set("clientH", twipsToPixels(kForm1ClientHeight));
    f1.set("background", cssColour(kForm1Background));
    f1.set("fieldBorder", twipsToPixels(kFieldBorderTwips));
    f1.set("controls", controlsOf(kForm1Controls));
    f1.set("lines", linesOf(kForm1Lines));
    val images = val::object();
    images.set("Picture3", sizeOf(kMomotaroImageWidth, kMomotaroImageHeight));
    images.set("Picture2", sizeOf(kDogImageWidth, kDogImageHeight));
    f1.set("images", images);
    d.set("form1", f1);

    val f2 = val::object();
    f2.set("caption", std::string(kForm2Caption));
    f2.set("clientWidth", kForm2ClientWidth);
    f2.set("clientHeight", kForm2ClientHeight);
    f2.set("clientW", twipsToPixels(kForm2ClientWidth));
    f2.set("clientH", twipsToPixels(kForm2ClientHeight));
    f2.set("controls", controlsOf(kForm2Controls));
    f2.set("lines", linesOf(kForm2Lines));
    d.set("form2", f2);

    val colours = val::object();
    val table = val::array();
    for (Rgb rgb : kColourTable)
        table.call<void>("push", val(cssColour(rgb)));
    colours.set("table", table);
    colours.set("valueLabelBackground", cssColour(kValueLabelBackground));
    colours.set("meetingCount", cssColour(kMeetingCountColour));
    colours.set("elapsedTime", cssColour(kElapsedTimeColour));
    colours.set("printBoxBackground", cssColour(kPrintBoxBackground));
    d.set("colours", colours);

    val type = val::object();
    type.set("designFamily", std::string(kDesignFontFamily));
    type.set("defaultPoints", kDefaultFontPointSize);
    type.set("axisLabelPoints", kAxisLabelPointSize);
    type.set("axisLabelWeight", kAxisLabelWeight);
    type.set("meetingCountPoints", kMeetingCountPointSize);
    d.set("typefaces", type);

    val texts = val::object();
    texts.set("contestLine", std::string(kContestLine));
    texts.set("problemHeading", std::string(kProblemHeading));
    texts.set("problemLines", arrayOf(kProblemLines));
    texts.set("conditionsHeading", std::string(kConditionsHeading));
    texts.set("conditionLines", arrayOf(kConditionLines));
    texts.set("headingColour", kHeadingColour);
    texts.set("conditionColour", kConditionColour);
    texts.set("textColour", kTextColour);
    texts.set("printPoints", kPrintPointSize);
    d.set("problem", texts);

    // What a screen reader says for the boxes that show no text of their own.
    val names = val::object();
    names.set("field", std::string(kFieldAccessibleName));
    names.set("Picture3", std::string(kMomotaroName));
    names.set("Picture2", std::string(kDogName));
    names.set("problem", std::string(kProblemAccessibleName));
    names.set("conditions", std::string(kConditionsAccessibleName));
    d.set("accessibleNames", names);

    // The problem window's printout, as the Qt window takes the same steps.
    val printout = val::array();
    for (const PrintStep &step : kProblemPrintout) {
        static constexpr const char *kOps[] = {"clear", "emptyLine", "fontSize", "foreColour",
                                               "line"};
        val o = val::object();
        o.set("box", std::string(step.box));
        o.set("op", std::string(kOps[static_cast<int>(step.op)]));
        o.set("text", std::string(step.text));
        o.set("value", step.value);
        printout.call<void>("push", o);
    }
    d.set("problemPrintout", printout);
    d.set("runEndedText", std::string(kRunEndedAnnouncement));
    return d;
}

// The lattice mapping, for the page's tests: design pixels of the field's client area.
val latticeToField(int x, int y)
{
    const PixelPosition px =
        latticeToFieldPixels(Point{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)});
    val o = val::object();
    o.set("x", px.x);
    o.set("y", px.y);
    return o;
}

// The simulation window's button that takes the focus from `disabled` (forms/windowlogic.h);
// isEnabled(name) tells whether a button is enabled now. Null if none.
val buttonTakingFocus(const std::string &disabled, val isEnabled)
{
    const auto next = buttonTakingFocusFrom(kForm1Controls, disabled, [&](std::string_view name) {
        return isEnabled(std::string(name)).as<bool>();
    });
    return next ? val(std::string(*next)) : val::null();
}

// The letter spacing, in pixels, to draw a caption with in a box `boxWidth` wide;
// widthAt(spacing) measures it at a spacing (forms/windowlogic.h).
double captionSpacing(double boxWidth, val widthAt)
{
    return fittedCaptionSpacing(boxWidth,
                                [&](double spacing) { return widthAt(spacing).as<double>(); });
}

} // namespace
} // namespace perne

EMSCRIPTEN_BINDINGS(perne_page)
{
    using namespace emscripten;
    using perne::PageEngine;
    class_<PageEngine>("PageEngine")
        .constructor<val>()
        .function("load", &PageEngine::load)
        .function("beginSetUp", &PageEngine::beginSetUp)
        .function("answerPrompt", &PageEngine::answerPrompt)
        .function("setUpUnderWay", &PageEngine::setUpUnderWay)
        .function("command4Click", &PageEngine::command4Click)
        .function("command5Click", &PageEngine::command5Click)
        .function("timer1Tick", &PageEngine::timer1Tick)
        .function("timer2Tick", &PageEngine::timer2Tick)
        .function("catchUp", &PageEngine::catchUp)
        .function("ticksRun", &PageEngine::ticksRun)
        .function("finishedRunLine", &PageEngine::finishedRunLine)
        .function("finishedRunReceipt", &PageEngine::finishedRunReceipt);
    function("designTables", &perne::designTables);
    function("latticeToField", &perne::latticeToField);
    function("buttonTakingFocus", &perne::buttonTakingFocus);
    function("captionSpacing", &perne::captionSpacing);
}
