#pragma once
// Calibration records kept in SQLite.
