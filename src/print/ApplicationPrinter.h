// The one printer of the application, shared by printing and printer setup.
#pragma once

class QPrinter;

// Created on first use, so that a choice made in the printer setup is the
// printer of the next print. Released when the application is about to quit,
// while Qt's print support is still loaded.
QPrinter& ApplicationPrinter();
