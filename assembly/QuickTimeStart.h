#pragma once

// Starts the movie toolbox the first time it is asked (its results are not
// looked at: the toolbox reports itself through its 'qtim' attribute), then
// every time tells whether it is usable.
bool StartQuickTime();
