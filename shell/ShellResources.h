#pragma once
// Registers the shell library's pictures (home and menu icons, the pictures
// of the machine); start-up and tests call it once.
void initShellResources();

// Registers the resources of every library the program links: app, errors,
// settings, cleaning, work and shell.
void initAllResources();
