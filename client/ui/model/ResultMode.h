#pragma once
// Which form of a query result a history or statistics view shows.
namespace quorvel::ui {

enum class ResultMode {
    Table,   // the virtual list (the state a view starts in)
    Curves,  // the plot
};

}  // namespace quorvel::ui
