#pragma once

#include "dialogs.h"
#include "form1.h"
#include "headless.h"
#include "seams.h"

#include <QString>

#include <deque>
#include <string>
#include <vector>

namespace perne::test {

// Hears every cue, in order.
class RecordingCues final : public CueDevice
{
public:
    void PlayCue(std::string_view fileName) override { played.emplace_back(fileName); }
    std::vector<std::string> played;
};

// Answers the input boxes from a script (past its end: Cancel) and notes what was asked.
class RecordingPrompter final : public Prompter
{
public:
    struct Asked
    {
        std::string title, prompt, defaultAnswer;
    };
    std::string ask(const std::string &title, const std::string &prompt,
                    const std::string &defaultAnswer) override
    {
        asked.push_back({title, prompt, defaultAnswer});
        if (answers.empty())
            return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::string> answers;
    std::vector<Asked> asked;
};

// Answers the quit question as told and notes what it was asked.
class ScriptedConfirmation final : public Confirmation
{
public:
    bool ask(const QString &t, const QString &x) override
    {
        ++asked;
        title = t;
        text = x;
        return answer;
    }
    bool answer = false;
    int asked = 0;
    QString title, text;
};

// Everything a window test injects, with a clock that moves only when told to.
struct Harness
{
    RecordingCues cues;
    RecordingCues problemCues;
    RecordingPrompter prompter;
    ScriptedConfirmation confirmation;
    SimulatedClock clock{36000.0};
    MixingRandom random{20240601};
    int programEnded = 0;

    Form1::Services services()
    {
        Form1::Services s;
        s.cues = &cues;
        s.problemCues = &problemCues;
        s.prompter = &prompter;
        s.confirmation = &confirmation;
        s.clock = &clock;
        s.random = &random;
        s.endProgram = [this] { ++programEnded; };
        return s;
    }
};

} // namespace perne::test
