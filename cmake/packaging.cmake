# Installation rules and packaging; filled in with the packaging.
