// Placeholder translation unit for libraries whose sources are still to come.
