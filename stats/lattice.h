#pragma once

#include "walk.h"

#include <array>
#include <vector>

// The lattice as the exact calculations see it: points numbered row by row, the step rule
// as a table of moves and as a stencil, and the operations on tables of probabilities they
// are built of.
namespace perne::stats {

constexpr int kSide = kLatticeMax - kLatticeMin + 1;
constexpr int kPoints = kSide * kSide;

int indexOf(Point p);
Point pointAt(int index);

struct Move
{
    int to;
    double probability;
};
using MoveTable = std::array<std::vector<Move>, kPoints>;

// Where one step leads from every point, asked of the engine's step rule for each of the
// eight equally likely directions; directions that land on the same point are merged.
MoveTable stepMoves();
// The same moves seen from where they land: for every point, the points that step onto it.
MoveTable reversedMoves(const MoveTable &moves);

// `from` and `to` hold kPoints rows of rowLength cells each. Every row r of `from` is
// added, times each move's probability, to row `move.to` of `to` (which is cleared first).
void spreadRows(const MoveTable &moves, const std::vector<double> &from, std::vector<double> &to,
                int rowLength);

// A kPoints x kPoints table turned over its diagonal.
void transposeTable(const std::vector<double> &from, std::vector<double> &to);

// One step, as a stencil: the eight directions are the 3 x 3 block of moves less the one
// that stays, and a move of the block clamps each axis on its own, so the block is three
// clamped neighbours along x times three along y. A step is then the sum over that block
// less the cell itself, over 8. Clamping also makes a move from p to q exactly as likely
// as one from q to p, so summing where the mass comes from is where it goes.
//
// stepAlongRows: the stepping walker's point numbers the kPoints rows (of rowLength cells)
// of `from`; stepWithinRows: it numbers the kPoints cells within each row. `to` and
// `scratch` get from's size.
void stepAlongRows(const std::vector<double> &from, std::vector<double> &to,
                   std::vector<double> &scratch, int rowLength);
void stepWithinRows(const std::vector<double> &from, std::vector<double> &to,
                    std::vector<double> &scratch);

} // namespace perne::stats
