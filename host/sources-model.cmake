# sources of the model group
