#pragma once
// The result tables of a run across processes: each process computes the tables of its block
// of points, the first gathers them into the tables of the whole run.
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"
#include "driver/processes.h"
#include "evaluation/point_evaluation.h"

namespace kadre {

// The other processes' parts of the tables into the first process's tables of the whole run.
void gather_tables(const InputData& in, bool methodology, const std::vector<PointBlock>& blocks,
                   std::vector<ResultTables>& tables, Processes& processes);

}  // namespace kadre
