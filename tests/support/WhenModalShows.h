#pragma once

#include <functional>

class QWidget;

// Runs `act` on the next modal window as soon as it is up, from within its own
// event loop: a test drives a real dialog without ever waiting on it.
void whenModalShows(std::function<void(QWidget*)> act);
