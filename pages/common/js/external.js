var appExternal = window.external;
