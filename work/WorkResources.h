#pragma once

// Registers the work screens' resources (and those of the libraries they
// use); start-up and the tests call it once before the first work screen.
void initWorkResources();
