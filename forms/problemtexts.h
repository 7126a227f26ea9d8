#pragma once

#include <array>

namespace perne {

// What the problem window prints. U+3000 is the full-width space; the leading characters
// set the indents, and the statement is cut at a fixed width with no regard to words.

constexpr char kContestLine[] = "　　　　　　　第４回日本数学コンクール問題(1993年8月22日)";
constexpr char kProblemHeading[] = " 【問題】";

// The problem statement: two paragraphs, each line cut at the same width.
constexpr std::array<const char *, 15> kProblemLines{{
    "　　　　 ある近視の学者が、恋人と、とある公園のベンチのところで待ち",
    "　　　 合わせをした。学者は約束の場所に着くと、そこから一歩も動かず",
    "　　 　に彼女が来るのをじっと待っていた。ところが学者はひどく目が悪",
    "　　　 いので、すぐ近くまで来た彼女の姿になかなか気づかない。彼女は",
    "　　　 公園中を歩き回って学者を探したが、見つけるまでにずいぶん長い",
    "　　　 時間がかかってしまった。やっと会えた彼女は怒って「二人とも動",
    "　　　 き回って探したほうが、ずっと早く会えるのよ。」と言った。",
    " 　　　　これに対して学者は「いや、二人とも動き回るよりも、どちらか",
    " 　　　一人がその場所から動かずに待っているほうが早く会えることは、",
    " 　　　数学的に考えれば明らかだよ。」と言い返した。二人の言い分は、",
    " 　　　どちらももっともらしく聞こえるので、いつまでたっても決着がつ",
    " 　　　かない。さて、あなたは彼女と学者のどちらの意見に賛成しますか",
    " 　　　。また、あなたがそう考える理由を、数学的に説明することができ",
    " 　　　ますか。できれば、確率などの考え方を使って、その理由をわかり",
    " 　　　やすく説明してみてください。",
}};

constexpr char kConditionsHeading[] = "【シミュレーションの条件】";

constexpr std::array<const char *, 4> kConditionLines{{
    "　　１．桃太郎と犬は、縦、横それぞれ１１本の直線の格子点上を動く。",
    "　　２．桃太郎と犬が、各格子点において８つの方向へ進む確率は同じ。",
    "　　３．桃太郎と犬は、各格子点において、動き１回につき、縦か横か斜",
    "　　　　めの１目盛りだけ進み、進んだ格子点ごとに方向を判断する。",
}};

// Colour numbers of the printed texts.
constexpr int kHeadingColour = 12;  // light red
constexpr int kConditionColour = 9; // light blue
constexpr int kTextColour = 0;      // black
constexpr double kPrintPointSize = 12.0;

} // namespace perne
