#pragma once
// The demonstration company: company 1 of a data root made by `init`, with
// data for every module (suppliers in three currencies, purchases with their
// journals, purchase orders partly received, clients with their statements,
// statistics, cylinders and job costing). Amounts agree with each other so
// that `lgxadmin check` finds nothing.

#include <QString>

#include <utility>
#include <vector>

struct DemoSummary {
    std::vector<std::pair<QString, int>> rows; // table, records written
};

// A small, hand-made company for trying every window.
DemoSummary BuildDemoCompany(const QString& dataRoot);
// A company big enough for timing: 20,000 clients, 5,000 suppliers, 50,000
// products and 500,000 open items, each table filled in one transaction.
DemoSummary BuildLargeDemoCompany(const QString& dataRoot);
