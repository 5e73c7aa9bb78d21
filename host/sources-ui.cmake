# sources of the ui group
