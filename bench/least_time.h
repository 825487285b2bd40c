// A Google Benchmark reporter that keeps the least CPU time per iteration (ns)
// of each benchmark's repetitions and prints as usual. On a machine shared
// with other work, CPU time leaves out the time the process waits for a core,
// and the least of several repetitions the runs that other work disturbed.
#ifndef VORLEX_LEAST_TIME_H
#define VORLEX_LEAST_TIME_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class LeastTimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
                const double t = r.GetAdjustedCPUTime();
                auto it = ns_.find(r.run_name.function_name);
                if (it == ns_.end() || t < it->second) {
                    ns_[r.run_name.function_name] = t;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The least time of the benchmark `name`, 0 when it did not run.
    double At(const std::string& name) const {
        auto it = ns_.find(name);
        return it == ns_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> ns_;
};

#endif
