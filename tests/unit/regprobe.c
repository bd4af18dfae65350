/* Exports only: see regprobe.def. */
